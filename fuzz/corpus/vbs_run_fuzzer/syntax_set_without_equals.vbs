Set x Nothing ' expect syntax error 1011 at 7: Expected '='
