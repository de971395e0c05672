For Each x Of y ' expect syntax error 1046 at 12: Expected 'In'
Next
