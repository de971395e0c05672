Next ' expect syntax error 1055 at 1: Unexpected 'Next'
