' The bundled demo: drives the calculator bc and checks what it answers.
' Run it with:  build/bin/pallant-play examples/demo.vbs
'
' Rows and columns of CheckString, ReadText and WaitString count from 0.

Console.RunCommand "bc -q"

' Type a sum and Enter: bc answers on the next row.
Console.PutKeys "6*7"
Console.PutControl "<Enter>"
If Not Console.WaitString(5, 0, 1, "42") Then
  Err.Raise 1, "", "Not found string '42'"
End If

' A check as the check generator writes it: the text at column 0 of row 0.
If Not Console.CheckString(0, 0, "6*7") Then
  Err.Raise 1, "", "Not found string '6*7'"
End If

' Read a result into a variable and use it.
Console.PutKeys "2^10"
Console.PutControl "<Enter>"
Console.WaitString 5, 0, 3, "1024"
Dim answer
Console.ReadText 0, 3, 9, 3, answer
MsgBox "bc says 2^10 = " & answer

' Two rows at once: every row is followed by a slash.
If Not Console.CheckRect(0, 0, 3, 1, "6*7/42/") Then
  Err.Raise 1, "", "Not found string '6*7/42/'"
End If

' Leave bc and make sure it has gone.
Console.PutKeys "quit"
Console.PutControl "<Enter>"
Console.Pause 1
If Console.IsProcessActive Then Err.Raise 1, "", "bc is still running"
MsgBox "demo passed"
