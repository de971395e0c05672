#pragma once
// The buttons of MsgBox's boxes, shared by every host that shows or answers them.

namespace qp {

// The buttons of each kind of box (the low four bits of MsgBox's buttons argument), left to
// right, as the values MsgBox returns; 0 ends a row. Unknown kinds act as OK.
inline constexpr int kMsgBoxButtons[6][3] = {
    {1, 0, 0},  // OK
    {1, 2, 0},  // OK Cancel
    {3, 4, 5},  // Abort Retry Ignore
    {6, 7, 2},  // Yes No Cancel
    {6, 7, 0},  // Yes No
    {4, 2, 0},  // Retry Cancel
};

constexpr const int* MsgBoxButtonRow(int buttons)
{
    const int kind = buttons & 0xF;
    return kMsgBoxButtons[kind < 6 ? kind : 0];
}

// The value of the button at index (0-based, left to right), or the first button's when the box
// has no such button.
constexpr int MsgBoxButtonValue(int buttons, int index)
{
    const int* row = MsgBoxButtonRow(buttons);
    return index >= 0 && index < 3 && row[index] ? row[index] : row[0];
}

// The box's default button (bits 8 and 9 of the buttons argument), what a box nobody answers gives.
constexpr int DefaultMsgBoxResult(int buttons)
{
    return MsgBoxButtonValue(buttons, (buttons >> 8) & 0x3);
}

}  // namespace qp
