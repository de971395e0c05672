With Test
    .HostValue = "set through With"
    MsgBox .HostValue ' expect: set through With
    MsgBox .HostEcho(4) ' expect: 4
    With Err
        .Number = 5
        MsgBox .Number ' expect: 5
    End With
    MsgBox .HostEcho("outer again") ' expect: outer again
End With
Err.Clear
On Error Resume Next
With 5
End With
MsgBox Err.Number ' expect: 424
