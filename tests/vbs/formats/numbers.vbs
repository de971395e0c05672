' FormatNumber, FormatPercent, FormatCurrency: US English conventions whatever the locale.
MsgBox FormatNumber(1234567.891)            ' expect: 1,234,567.89
MsgBox FormatNumber(1234.5, 0)              ' expect: 1,235
MsgBox FormatNumber(-0.5, 3)                ' expect: -0.500
MsgBox FormatNumber(0.25, 2, 0)             ' expect: .25
MsgBox FormatNumber(-1234.5, 1, -1, -1)     ' expect: (1,234.5)
MsgBox FormatNumber(1234.5, 1, -1, 0, 0)    ' expect: 1234.5
MsgBox FormatNumber("12.345", 2)            ' expect: 12.35
MsgBox FormatNumber(-0.001, 2)              ' expect: 0.00
MsgBox FormatNumber(100)                    ' expect: 100.00
MsgBox FormatPercent(0.1234)                ' expect: 12.34%
MsgBox FormatPercent(1.5, 0)                ' expect: 150%
MsgBox FormatCurrency(1234.5)               ' expect: $1,234.50
MsgBox FormatCurrency(-5)                   ' expect: ($5.00)
MsgBox FormatCurrency(-5, 2, -1, 0)         ' expect: -$5.00
MsgBox TypeName(FormatNumber(1))            ' expect: String
On Error Resume Next
x = FormatNumber("abc")
MsgBox Err.Number                           ' expect: 13
Err.Clear
x = FormatNumber(Null)
MsgBox Err.Number                           ' expect: 13
Err.Clear
x = FormatNumber(1, 300)
MsgBox Err.Number                           ' expect: 5
