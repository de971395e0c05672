#pragma once
// Qt's key events in the layout's terms: the virtual-key code of the key pressed and the
// set of modifiers and mouse buttons held.

#include "ShiftState.h"

#include <QtCore/qnamespace.h>

#include <cstdint>

class QKeyEvent;

namespace qp {

struct MappedKey {
    uint16_t vkey = 0;  // 0 when the key has no code on the layout
    ShiftState shift = 0;
};

// Key and modifiers of a press or release. On X11 a key of the main block is told by its
// position (the native scan code less 8 is its set-1 scan code); elsewhere, and for the
// grey and keypad keys, by Qt's key code.
MappedKey MapKeyEvent(const QKeyEvent& event, bool press);

// The code for Qt's key code alone (keypad: whether the key is on the numeric keypad).
uint16_t VKeyForQtKey(int qtKey, bool keypad);

// The shift state from Qt's modifiers and the mouse buttons held.
ShiftState ShiftStateFor(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

}  // namespace qp
