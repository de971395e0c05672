' Escape and Unescape, CCur and the Currency subtype, the engine's version.
MsgBox Escape("a b&c/d.e-f_g*h@i+j")        ' expect: a%20b%26c/d.e-f_g*h@i+j
MsgBox Escape("caf" & ChrW(233) & ChrW(&H20AC)) ' expect: caf%E9%u20AC
MsgBox Unescape("a%20b%u20AC%zz%") = "a b" & ChrW(&H20AC) & "%zz%" ' expect: True
MsgBox Unescape(Escape("round trip: 100% " & ChrW(&H3A9))) ' expect: round trip: 100% Ω
c = CCur("1234.56789")
MsgBox c & " " & VarType(c) & " " & TypeName(c) ' expect: 1234.5679 6 Currency
MsgBox TypeName(c + 1) & " " & TypeName(c * 2) & " " & TypeName(c + 0.5) ' expect: Currency Currency Double
MsgBox c * 2 & " " & -c & " " & (c > 1000) ' expect: 2469.1358 -1234.5679 True
MsgBox CCur(0.00005) & " " & CCur(-2.5)     ' expect: 0 -2.5
MsgBox CLng(CCur(2.5)) & " " & CDbl(CCur(1.25)) ' expect: 2 1.25
MsgBox FormatCurrency(CCur(3.1))            ' expect: $3.10
MsgBox ScriptEngine & " " & ScriptEngineMajorVersion & "." & ScriptEngineMinorVersion ' expect: VBScript 5.8
MsgBox ScriptEngineBuildVersion > 0         ' expect: True
On Error Resume Next
x = CCur(1E+20)
MsgBox Err.Number & " " & Err.Description   ' expect: 6 Overflow
Err.Clear
x = CCur(Null)
MsgBox Err.Number                           ' expect: 94
