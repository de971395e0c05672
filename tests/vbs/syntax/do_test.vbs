Do x ' expect syntax error 1028 at 4: Expected 'While', 'Until' or end of statement
Loop
