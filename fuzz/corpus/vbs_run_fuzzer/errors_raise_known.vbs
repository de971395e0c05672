' A known number without a description takes VBScript's text.
Err.Raise 9                       ' expect runtime error 9 at 1: Subscript out of range
