' Nobody answers the boxes: MsgBox gives the box's default button.
r = MsgBox("one")                         ' expect: one
MsgBox r                                  ' expect: 1
r = MsgBox("two", vbYesNo)                ' expect: two
MsgBox r = vbYes                          ' expect: True
r = MsgBox("three", vbYesNo + vbDefaultButton2) ' expect: three
MsgBox r = vbNo                           ' expect: True
r = MsgBox("four", vbAbortRetryIgnore Or vbDefaultButton3 Or vbCritical) ' expect: four
MsgBox r                                  ' expect: 5
r = MsgBox("five", vbOKCancel + vbDefaultButton3) ' expect: five
MsgBox r                                  ' expect: 1
