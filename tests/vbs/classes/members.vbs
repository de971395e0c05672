' Public and Private variables and procedures, Property Get / Let / Set, Me, New.
Class Account
    Public Owner
    Private m_balance, m_log
    Dim Tag
    Private Sub Class_Initialize()
        m_balance = 0
        m_log = ""
        Tag = "new"
    End Sub
    Public Sub Deposit(amount)
        m_balance = m_balance + amount
        Note "+" & amount
    End Sub
    Private Sub Note(text)
        m_log = m_log & text
    End Sub
    Public Function Balance()
        Balance = m_balance
    End Function
    Public Property Get Log
        Log = m_log
    End Property
    Public Property Let Log(value)
        m_log = value
    End Property
    Property Get Doubled()
        Doubled = Me.Balance() * 2
    End Property
    Public Function Self()
        Set Self = Me
    End Function
End Class

Dim a
Set a = New Account
a.Owner = "Ann"
a.Deposit 5
a.Deposit(7)
Call a.Deposit(1)
MsgBox a.Owner & " " & a.Balance & " " & a.Balance() & " " & a.Log ' expect: Ann 13 13 +5+7+1
MsgBox a.Doubled & " " & a.Tag           ' expect: 26 new
a.Log = "reset"
MsgBox a.Log                             ' expect: reset
MsgBox TypeName(a) & " " & VarType(a) & " " & IsObject(a) ' expect: Account 9 True
MsgBox a.Self() Is a                     ' expect: True
Dim b
Set b = New Account
MsgBox a Is b                            ' expect: False
b.Deposit 2
MsgBox a.Balance & " " & b.Balance       ' expect: 13 2
Set b = a
b.Deposit 1
MsgBox a.Balance                         ' expect: 14
' Class names and member names ignore case.
Set c = new ACCOUNT
c.DEPOSIT 3
MsgBox c.balance                         ' expect: 3
' With blocks reach the members.
With a
    .Owner = "Bob"
    MsgBox .Owner & " " & .Balance       ' expect: Bob 14
End With
' Private members are not reachable from outside.
On Error Resume Next
a.Note "x"
MsgBox Err.Number & " " & Err.Description ' expect: 438 Object doesn't support this property or method
Err.Clear
x = a.m_balance
MsgBox Err.Number                        ' expect: 438
Err.Clear
a.Missing = 1
MsgBox Err.Number                        ' expect: 438
