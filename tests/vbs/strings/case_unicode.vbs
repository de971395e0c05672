' Case beyond ASCII: UCase, LCase, text comparison, names and text-mode dictionaries all
' follow the same Unicode mappings; a character keeps its length ("ß" stays "ß").
MsgBox UCase("été ÿ straße")                 ' expect: ÉTÉ Ÿ STRAßE
MsgBox LCase("ÉTÉ Ÿ ΑΒΓ АБВ Ա")              ' expect: été ÿ αβγ абв ա
MsgBox UCase("αβγ абв ա")                    ' expect: ΑΒΓ АБВ Ա
MsgBox StrComp("Σοφία", "ΣΟΦΊΑ", vbTextCompare)    ' expect: 0
MsgBox StrComp("Σοφία", "ΣΟΦΊΑ")             ' expect: 1
MsgBox InStr(1, "ДОБРЫЙ ДЕНЬ", "день", vbTextCompare)  ' expect: 8
MsgBox Replace("Ärger über Ärger", "ärger", "Glück", 1, -1, vbTextCompare)  ' expect: Glück über Glück
Dim café
CAFÉ = 3
MsgBox café                                   ' expect: 3
Set d = CreateObject("Scripting.Dictionary")
d.CompareMode = vbTextCompare
d.Add "Ωmega", 1
MsgBox d.Exists("ωMEGA")                      ' expect: True
