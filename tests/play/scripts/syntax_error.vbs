MsgBox "never shown"
If Then
