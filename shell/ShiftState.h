#pragma once
// The set of held modifiers and mouse buttons that comes with a key event, and its text in
// the key log window.

#include <cstdint>
#include <string>

namespace qp {

enum ShiftFlag : uint8_t {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
using ShiftState = uint8_t;

// "[" then S, A, C, L, R, M, D for the members held, in that order, then "]".
std::string ShiftStateText(ShiftState shift);

// The modifier prefix of a key combination: Alt, Ctrl, Shift in that order, "+"-joined.
std::string ModifierPrefix(ShiftState shift);

}  // namespace qp
