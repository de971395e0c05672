' Output that appears only after a while.
Console.RunCommand "sh -c ""sleep 1; echo ready"""
If Console.WaitString(0, 0, 0, "ready") Then Err.Raise 1, "", "ready too early"
If Not Console.WaitString(5, 0, 0, "ready") Then Err.Raise 1, "", "Not found string 'ready'"
