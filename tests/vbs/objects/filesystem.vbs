' Scripting.FileSystemObject in a private folder the test host provides.
Set fso = CreateObject("Scripting.FileSystemObject")
dir = HostTempDir
MsgBox fso.FolderExists(dir) & " " & fso.FileExists(dir) ' expect: True False
sub1 = fso.BuildPath(dir, "sub")
Set folder = fso.CreateFolder(sub1)
MsgBox fso.FolderExists(sub1) & " " & folder.Name ' expect: True sub
path = fso.BuildPath(sub1, "notes.txt")
Set f = fso.CreateTextFile(path)
MsgBox fso.FileExists(path)        ' expect: True
f.WriteLine "first"
f.Write "sec"
f.Write "ond"
f.WriteBlankLines 2
f.WriteLine "caf" & ChrW(233)
f.Close
Set f = fso.OpenTextFile(path)
MsgBox f.ReadLine & "|" & f.Line   ' expect: first|2
MsgBox f.Read(3) & "|" & f.ReadLine ' expect: sec|ond
MsgBox f.AtEndOfStream             ' expect: False
f.SkipLine
MsgBox Replace(f.ReadAll, vbLf, "|") ' expect: café|
MsgBox f.AtEndOfStream             ' expect: True
f.Close
' Appending, and reading a file back in one piece.
Set f = fso.OpenTextFile(path, 8)
f.Write "more"
f.Close
MsgBox Len(fso.OpenTextFile(path, 1).ReadAll) ' expect: 23
' Writing replaces the whole text; the Unicode format round-trips.
Set f = fso.OpenTextFile(path, 2, False, -1)
f.Write "wide " & ChrW(&H3A9)
f.Close
MsgBox fso.OpenTextFile(path, 1, False, -1).ReadAll ' expect: wide Ω
MsgBox fso.OpenTextFile(path).ReadAll ' expect: wide Ω
' Copy, move, delete, wildcards.
fso.CopyFile path, fso.BuildPath(sub1, "copy.txt")
fso.MoveFile fso.BuildPath(sub1, "copy.txt"), fso.BuildPath(dir, "moved.txt")
MsgBox fso.FileExists(fso.BuildPath(dir, "moved.txt")) & " " & fso.FileExists(fso.BuildPath(sub1, "copy.txt")) ' expect: True False
fso.CopyFile fso.BuildPath(dir, "moved.txt"), sub1 & "/"
MsgBox fso.FileExists(fso.BuildPath(sub1, "moved.txt")) ' expect: True
fso.DeleteFile fso.BuildPath(sub1, "*.txt")
MsgBox fso.FileExists(path) & " " & fso.FileExists(fso.BuildPath(sub1, "moved.txt")) ' expect: False False
' Names of paths.
MsgBox fso.GetFileName("/a/b/c.tar.gz") & " " & fso.GetBaseName("/a/b/c.tar.gz") & " " & fso.GetExtensionName("/a/b/c.tar.gz") ' expect: c.tar.gz c.tar gz
MsgBox fso.GetParentFolderName("/a/b/c.txt") & " " & fso.GetParentFolderName("/a/b/") & " [" & fso.GetParentFolderName("c") & "]" ' expect: /a/b /a []
MsgBox fso.BuildPath("/a/", "b") & " " & fso.BuildPath("/a", "b") ' expect: /a/b /a/b
MsgBox fso.GetAbsolutePathName("/a/./b/../c/") ' expect: /a/c
t = fso.GetTempName
MsgBox Len(t) & " " & Left(t, 3) & " " & Right(t, 4) ' expect: 12 rad .tmp
' The errors, and a failed write leaves the old file as it was.
On Error Resume Next
Set f = fso.OpenTextFile(fso.BuildPath(dir, "absent.txt"))
MsgBox Err.Number & " " & Err.Description ' expect: 53 File not found
Err.Clear
Set f = fso.CreateTextFile(fso.BuildPath(dir, "no/such/folder.txt"))
MsgBox Err.Number & " " & Err.Description ' expect: 76 Path not found
Err.Clear
keep = fso.BuildPath(dir, "keep.txt")
Set f = fso.CreateTextFile(keep)
f.Write "precious"
f.Close
Set f = fso.CreateTextFile(keep, False)
MsgBox Err.Number & " " & Err.Description ' expect: 58 File already exists
Err.Clear
fso.CreateFolder sub1
MsgBox Err.Number                  ' expect: 58
Err.Clear
Set f = fso.OpenTextFile(keep, 2)
f.Write "half"
MsgBox fso.OpenTextFile(keep).ReadAll ' expect: precious
f.ReadLine
MsgBox Err.Number & " " & Err.Description ' expect: 54 Bad file mode
Err.Clear
f.Close
MsgBox fso.OpenTextFile(keep).ReadAll ' expect: half
Set f = fso.OpenTextFile(keep)
x = f.ReadAll
x = f.ReadLine
MsgBox Err.Number & " " & Err.Description ' expect: 62 Input past end of file
Err.Clear
fso.DeleteFile fso.BuildPath(dir, "nothing*.txt")
MsgBox Err.Number                  ' expect: 53
Err.Clear
fso.MoveFile keep, fso.BuildPath(dir, "moved.txt")
MsgBox Err.Number                  ' expect: 58
