#pragma once
// Keys to key-event records: what a typed character and a key combination become, one
// key-down record each. Pure functions; KeySender writes the records into the console.

#include "console/KeyEventRecord.h"
#include "KeyboardLayout.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace qp {

// The records of one typed character: one record, or for a character beyond the 16-bit
// range two records carrying its UTF-16 surrogate pair (the console input's unit is 16 bits).
struct CharRecords {
    KeyEventRecord records[2];
    int count = 0;
    const KeyEventRecord* begin() const { return records; }
    const KeyEventRecord* end() const { return records + count; }
};

// The key code of a one-character final key: the character's own code, except that under
// Ctrl "/" and "\" are the keys that type them. A character beyond ASCII has no key: 0xFF.
uint16_t CharToVKey(char32_t c, uint32_t state);

// The character a key code gives in a combination: the key's unshifted character, under
// Ctrl turned into the control character (Enter gives line feed, "/" gives 0).
uint8_t VKeyToChar(uint16_t code, uint32_t state);

// SendChar's record(s) for one typed character: the key that types it (0xFF and scan code
// 0xFFFF when none does), the character, no modifier flags.
CharRecords CharKeyRecords(char32_t c);

// SendKeyCombo's record for a combination (UTF-8), or nothing when it has no final key.
std::optional<KeyEventRecord> ComboKeyRecord(std::string_view combination);

// The character a key produces with the keyboard state (see toUnicode).
int TranslateKey(uint16_t vkey, uint16_t scanCode, const KeyboardState& state,
                 char16_t* buffer, int size, uint32_t flags);

}  // namespace qp
