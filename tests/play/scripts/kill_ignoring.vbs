' A program that ignores every polite signal still ends with KillProcess.
If Not Console.WaitString(5, 0, 0, "pids:") Then Err.Raise 1, "", "not started"
If Not Console.IsProcessActive Then Err.Raise 1, "", "not running"
Console.KillProcess
If Console.IsProcessActive Then Err.Raise 1, "", "still running after KillProcess"
