) ' expect syntax error 1024 at 1: Expected statement
