' Starts a program that does not exist.
Console.RunCommand "/nonexistent/program --flag"
MsgBox "not reached"
