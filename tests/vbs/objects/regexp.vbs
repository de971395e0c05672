' RegExp: Pattern, Global, IgnoreCase, Multiline, Test, Replace, Execute.
Set re = New RegExp
re.Pattern = "(\w+)@(\w+)\.com"
MsgBox re.Test("mail ann@example.com now") & " " & re.Test("none") ' expect: True False
MsgBox re.Replace("ann@example.com bob@test.com", "$2:$1") ' expect: example:ann bob@test.com
re.Global = True
MsgBox re.Replace("ann@example.com bob@test.com", "<$&>") ' expect: <ann@example.com> <bob@test.com>
Set ms = re.Execute("x ann@example.com y bob@test.com")
MsgBox ms.Count & " " & ms(1).Value & " " & ms(1).FirstIndex & " " & ms(1).Length ' expect: 2 bob@test.com 20 12
MsgBox ms.Item(0).SubMatches(0) & " " & ms(0).SubMatches.Count ' expect: ann 2
For Each m In ms
    s = s & "[" & m & "]"
Next
MsgBox s                           ' expect: [ann@example.com][bob@test.com]
' IgnoreCase, and the other ProgID.
Set r2 = CreateObject("VBScript.RegExp")
r2.Pattern = "^abc$"
MsgBox r2.Test("ABC")              ' expect: False
r2.IgnoreCase = True
MsgBox r2.Test("ABC")              ' expect: True
' Multiline: ^ and $ at each line; without it only at the ends.
r2.Pattern = "^b$"
MsgBox r2.Test("a" & vbLf & "b" & vbLf & "c") ' expect: False
r2.Multiline = True
MsgBox r2.Test("a" & vbLf & "b" & vbLf & "c") ' expect: True
r2.Pattern = "c$"
r2.Multiline = False
MsgBox r2.Test("abc" & vbLf)       ' expect: False
' Escapes VBScript reads its own way: \A is the letter, \u and \x are code units.
r2.Pattern = "\A\u0042\x43"
MsgBox r2.Test("abc")              ' expect: True
r2.Pattern = "a.c"
MsgBox r2.Test("a" & vbLf & "c") & " " & r2.Test("a" & vbCr & "c") ' expect: False True
' Empty matches move on by one; $$ is a dollar; a missing group is empty.
Set r3 = New RegExp
r3.Global = True
r3.Pattern = "x*"
MsgBox r3.Replace("abc", "-")      ' expect: -a-b-c-
r3.Pattern = "(a)|(b)"
MsgBox r3.Replace("ab", "[$1|$2]$$") ' expect: [a|]$[|b]$
Set ms = r3.Execute("b")
MsgBox IsEmpty(ms(0).SubMatches(0)) & " " & ms(0).SubMatches(1) ' expect: True b
MsgBox r3.Execute("zzz").Count    ' expect: 0
' A bad pattern raises 5017 when it is used.
On Error Resume Next
r3.Pattern = "(unclosed"
MsgBox r3.Test("x")
MsgBox Err.Number & " " & Err.Description ' expect: 5017 Syntax error in regular expression
Err.Clear
r3.Pattern = "a++"
r3.Test "a"
MsgBox Err.Number                  ' expect: 5017
Err.Clear
r3.Pattern = "(?<name>a)"
r3.Test "a"
MsgBox Err.Number                  ' expect: 5017
' The two collections alike: their names, Item by index from 0, Count, For Each; an index
' outside them is error 5, a written member 450.
Err.Clear
r3.Pattern = "(\d)(\d)?"
Set ms = r3.Execute("12 3")
Set groups = ms(1).SubMatches
MsgBox TypeName(ms) & " " & TypeName(ms(0)) & " " & TypeName(groups) ' expect: IMatchCollection2 IMatch2 ISubMatches
MsgBox ms.Item(1) & " " & groups.Count & " " & groups.Item(0) & " " & IsEmpty(groups(1)) ' expect: 3 2 3 True
s = ""
For Each g In ms(0).SubMatches
    s = s & "<" & g & ">"
Next
MsgBox s                           ' expect: <1><2>
x = ms(2)
MsgBox Err.Number                  ' expect: 5
Err.Clear
x = groups(-1)
MsgBox Err.Number                  ' expect: 5
Err.Clear
x = ms(0).SubMatches(2)
MsgBox Err.Number                  ' expect: 5
Err.Clear
x = ms.Count(1)
MsgBox Err.Number                  ' expect: 450
Err.Clear
