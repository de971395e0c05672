MsgBox Int(-2.5) & " " & Fix(-2.5) ' expect: -3 -2
MsgBox Int(2.7) & " " & Fix(2.7) ' expect: 2 2
MsgBox Round(2.5) & " " & Round(3.5) & " " & Round(-2.5) ' expect: 2 4 -2
MsgBox Round(2.567, 2) ' expect: 2.57
MsgBox Abs(-3) & " " & Abs(2.5) ' expect: 3 2.5
MsgBox Sgn(-3) & " " & Sgn(0) & " " & Sgn(7.5) ' expect: -1 0 1
MsgBox Sqr(16) ' expect: 4
MsgBox Exp(0) & " " & Log(1) ' expect: 1 0
MsgBox Round(Atn(1) * 4, 5) ' expect: 3.14159
MsgBox Sin(0) & " " & Cos(0) & " " & Tan(0) ' expect: 0 1 0
MsgBox Hex(255) & " " & Hex(-1) & " " & Oct(8) ' expect: FF FFFF 10
MsgBox Hex(65536) ' expect: 10000
MsgBox TypeName(Int(5)) & " " & TypeName(Int(5.5)) ' expect: Integer Double
Dim r : r = Rnd
MsgBox (r >= 0 And r < 1) ' expect: True
MsgBox Rnd(-1) = Rnd(-1) ' expect: True
On Error Resume Next
r = Sqr(-1)
MsgBox Err.Number ' expect: 5
Err.Clear
r = Log(0)
MsgBox Err.Number ' expect: 5
Err.Clear
r = 5 \ 0
MsgBox Err.Number ' expect: 11
Err.Clear
r = 5 Mod 0
MsgBox Err.Number ' expect: 11
Err.Clear
r = 0 / 0
MsgBox Err.Number ' expect: 6
