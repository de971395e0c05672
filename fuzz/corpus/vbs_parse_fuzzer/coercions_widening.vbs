' Integer overflow widens to Long, Long overflow to Double.
MsgBox 32767 + 1                  ' expect: 32768
MsgBox TypeName(32767 + 1)        ' expect: Long
MsgBox TypeName(32766 + 1)        ' expect: Integer
MsgBox TypeName(-32768 - 1)       ' expect: Long
MsgBox 2147483647 + 1             ' expect: 2147483648
MsgBox TypeName(2147483647 + 1)   ' expect: Double
MsgBox TypeName(200 * 200)        ' expect: Long
MsgBox TypeName(CByte(1) + CByte(2))     ' expect: Byte
MsgBox TypeName(CByte(200) + CByte(100)) ' expect: Integer
MsgBox CByte(200) + CByte(100)           ' expect: 300
MsgBox TypeName(1 + 1.5)          ' expect: Double
MsgBox TypeName(CSng(1) + 1)      ' expect: Single
MsgBox TypeName(32768)            ' expect: Long
MsgBox TypeName(2147483648)       ' expect: Double
MsgBox TypeName(-(-32768))        ' expect: Long
