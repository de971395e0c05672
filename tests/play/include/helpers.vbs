' Helpers shared by scripts through --include.
Option Explicit
Dim helperGreeting
helperGreeting = "from the helpers"

Function Twice(text)
  Twice = text & text
End Function

Sub ExpectAt(x, y, text)
  If Not Console.CheckString(x, y, text) Then
    Err.Raise 1, "", "Not found string '" & text & "'"
  End If
End Sub
