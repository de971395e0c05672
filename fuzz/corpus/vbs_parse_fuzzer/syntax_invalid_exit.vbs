Exit For ' expect syntax error 1039 at 1: Invalid 'exit' statement
