#pragma once
// Key-event records to the bytes an xterm sends for them, by a table of our own that honours
// the terminal's application cursor and newline modes.
//
// Keys a terminal sends as keys of their own go by virtual-key code with the record's
// modifiers, whatever character the record carries; any other record with a character
// sends the character (Alt adds ESC, Ctrl with a letter gives its control character);
// records that mean nothing to a terminal (a modifier alone, Caps Lock) send nothing.

#include "KeyEventRecord.h"
#include "Terminal.h"

#include <string>

namespace qp {

// The keys a terminal sends as keys of their own.
enum class TermKey : uint8_t {
    None, Enter, Tab, Backspace, Escape, Up, Down, Left, Right, Insert, Delete, Home, End, PageUp, PageDown,
    F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
};

// Modifier bits as xterm numbers them (the parameter it sends is the bits plus one).
enum TermModifier : unsigned { kModNone = 0, kModShift = 1, kModAlt = 2, kModCtrl = 4 };

// The bytes an xterm sends for a key with modifiers, in the given modes.
std::string TerminalKeyBytes(TermKey key, unsigned modifiers, const TerminalModes& modes);

class KeyTranslator {
public:
    // Appends the record's bytes to the terminal's output. Returns false when the record
    // sends nothing.
    bool translate(Terminal& terminal, const KeyEventRecord& record);

private:
    bool sendCharacter(std::string& out, char16_t unit, unsigned modifiers);
    // A high surrogate waiting for the low half that the next record carries.
    char16_t m_pendingHigh = 0;
};

// The terminal key of a virtual-key code, or TermKey::None.
TermKey TerminalKeyOf(uint16_t virtualKeyCode);
unsigned TerminalModifiers(uint32_t controlKeyState);

}  // namespace qp
