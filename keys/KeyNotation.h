#pragma once
// The key notation: a key combination ("+"-joined names, e.g. Ctrl+C, Shift+F5, Enter) and
// control text (combinations in angle brackets one after another, e.g. <Ctrl+C><Enter>).
// Nothing here raises: unknown names, missing final keys and stray text are skipped.

#include <cstdint>
#include <optional>
#include <string_view>

namespace qp {

enum class FinalKeyKind : uint8_t { None, Character, VirtualKey };

struct KeyCombo {
    uint32_t state = 0;  // SHIFT_PRESSED, LEFT_CTRL_PRESSED, LEFT_ALT_PRESSED
    FinalKeyKind kind = FinalKeyKind::None;
    char32_t character = 0;  // kind == Character
    uint16_t vkey = 0;       // kind == VirtualKey
    friend bool operator==(const KeyCombo&, const KeyCombo&) = default;
};

// Drops every leading and trailing character of code 0x20 or less (NUL and controls too).
std::string_view TrimKeyText(std::string_view text);

// Parses one key combination (UTF-8). Parts before the last "+" are modifiers when they name
// Shift, Ctrl or Alt, ignored otherwise; the part after it is the final key: one character,
// or a table name, or nothing at all.
KeyCombo ParseKeyCombo(std::string_view text);

// Splits control text into the key combinations of its groups, in order. The text is trimmed
// once; a group is "<", its combination, ">" (the combination may be empty or contain "<").
// Reading ends at the first character outside a group that is not "<", or at an unclosed
// group. Holds no copy of the text: O(1) memory whatever its length.
class ControlTextReader {
public:
    explicit ControlTextReader(std::string_view controlText);
    // The next group's combination, or nothing when the control text ends.
    std::optional<std::string_view> next();

private:
    std::string_view m_rest;
};

}  // namespace qp
