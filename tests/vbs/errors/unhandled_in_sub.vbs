Sub Inner()
    Dim z
    z = CLng("abc")               ' expect runtime error 13 at 5: Type mismatch: 'CLng'
End Sub
Inner
