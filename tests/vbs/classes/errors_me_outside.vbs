x = Me                            ' expect syntax error 1037 at 5: Invalid use of 'Me' keyword
