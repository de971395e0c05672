#pragma once
// Finding text on the screen: a string where CheckString would find it, or a regular
// expression (the syntax scripts know from RegExp) matched against each row's text. Rows
// are read as the checks read them; positions are 0-based cells, row by row.

#include "console/ScreenTypes.h"

#include <memory>
#include <optional>
#include <string>

namespace qp {

struct ScreenMatch {
    int32_t x = -1;
    int32_t y = -1;
    std::u16string text;  // what matched
};

// The first cell, row by row, where CheckString(x, y, testString) holds. An empty text
// stands everywhere: (0, 0).
std::optional<ScreenMatch> FindOnScreen(const ScreenSnapshot& screen, const std::u16string& testString);

// A compiled regular expression. Compiling a pattern that is not one throws
// ScriptRuntimeError 5017 "Syntax error in regular expression".
class ScreenPattern {
public:
    explicit ScreenPattern(const std::u16string& pattern);
    ~ScreenPattern();
    ScreenPattern(const ScreenPattern&) = delete;
    ScreenPattern& operator=(const ScreenPattern&) = delete;

    // The first match in a text: its offset and the matched text.
    std::optional<std::pair<size_t, std::u16string>> match(const std::u16string& text) const;
    // The first row, from the top, whose text matches; the cell where the match starts.
    std::optional<ScreenMatch> find(const ScreenSnapshot& screen) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace qp
