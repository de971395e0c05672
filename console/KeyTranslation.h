#pragma once
// Key-event records to the bytes an xterm sends for them, through libvterm's keyboard
// functions so that the application cursor and keypad modes are honoured.
//
// Keys a terminal sends as keys of their own go by virtual-key code with the record's
// modifiers, whatever character the record carries; any other record with a character
// sends the character (Alt adds ESC, Ctrl with a letter gives its control character);
// records that mean nothing to a terminal (a modifier alone, Caps Lock) send nothing.

#include "KeyEventRecord.h"

#include <vterm.h>

namespace qp {

class KeyTranslator {
public:
    // Emits the record's bytes through vt's output callback. Returns false when the record
    // sends nothing.
    bool translate(VTerm* vt, const KeyEventRecord& record);

private:
    bool sendCharacter(VTerm* vt, char16_t unit, VTermModifier mod);
    // A high surrogate waiting for the low half that the next record carries.
    char16_t m_pendingHigh = 0;
};

// The terminal key of a virtual-key code, or VTERM_KEY_NONE.
VTermKey TerminalKeyOf(uint16_t virtualKeyCode);
VTermModifier TerminalModifiers(uint32_t controlKeyState);

}  // namespace qp
