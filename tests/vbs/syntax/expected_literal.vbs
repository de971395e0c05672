Const c = x ' expect syntax error 1045 at 11: Expected literal constant
