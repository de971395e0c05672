' Scripting.Dictionary: keys in insertion order, Item as the default member.
Set d = CreateObject("Scripting.Dictionary")
d.Add "b", 2
d.Add "a", 1
d("c") = 3                         ' writing a new key adds it
d.Item("a") = 10
MsgBox d.Count & " " & d("a") & " " & d.Item("b") ' expect: 3 10 2
For Each k In d
    s = s & k & "=" & d(k) & ";"
Next
MsgBox s                           ' expect: b=2;a=10;c=3;
MsgBox Join(d.Keys, ",") & " " & Join(d.Items, ",") ' expect: b,a,c 2,10,3
MsgBox d.Exists("a") & " " & d.Exists("A") & " " & d.Exists("zz") ' expect: True False False
x = d("missing")                   ' reading a missing key adds it, Empty
MsgBox d.Count & " " & IsEmpty(x) & " " & d.Exists("missing") ' expect: 4 True True
d.Remove "missing"
d.Key("b") = "bee"                 ' renames, keeping the place
MsgBox Join(d.Keys, ",")           ' expect: bee,a,c
' Numbers are keys by value, apart from texts.
d.Add 1, "one"
d.Add "1", "text one"
MsgBox d(1) & " " & d(1.0) & " " & d(CLng(1)) & " " & d("1") ' expect: one one one text one
' Objects as items and keys.
Set o = CreateObject("Scripting.Dictionary")
Set d("obj") = o
MsgBox d("obj") Is o               ' expect: True
d.Add o, "keyed by object"
MsgBox d(o)                        ' expect: keyed by object
d.RemoveAll
MsgBox d.Count & " " & UBound(d.Keys) ' expect: 0 -1
' Text comparison, set while empty.
Set t = CreateObject("Scripting.Dictionary")
t.CompareMode = vbTextCompare
t.Add "Key", 1
MsgBox t.Exists("KEY") & " " & t("key") & " " & t.CompareMode ' expect: True 1 1
MsgBox TypeName(t)                 ' expect: Dictionary
' The errors.
On Error Resume Next
t.Add "kEy", 2
MsgBox Err.Number & " " & Err.Description ' expect: 457 This key is already associated with an element of this collection
Err.Clear
t.Remove "nothing here"
MsgBox Err.Number & " " & Err.Description ' expect: 32811 Element not found
Err.Clear
t.CompareMode = vbBinaryCompare
MsgBox Err.Number                  ' expect: 5
Err.Clear
t.Key("absent") = "x"
MsgBox Err.Number                  ' expect: 32811
Err.Clear
t.Add Array(1), 1
MsgBox Err.Number                  ' expect: 13
Err.Clear
Set z = CreateObject("Some.Thing")
MsgBox Err.Number & " " & Err.Description ' expect: 429 ActiveX component can't create object
