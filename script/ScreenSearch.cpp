#include "ScreenSearch.h"

#include "AutomationError.h"
#include "display/ScreenText.h"
#include "vbs/Errors.h"
#include "ZEBConsole.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace qp {

namespace {

// A row's text as the checks read it, right-trimmed.
std::u16string rowText(const ScreenSnapshot& screen, int32_t y) {
    return ReadRectText(screen, CellRect{0, y, int32_t(screen.width) - 1, y}, kCheckSeparator);
}

// The column where the text from offset `at` of a row's text begins: where reading the row
// from that column gives the rest of the text. The offset itself when every cell holds one
// code unit, as it mostly does.
int32_t columnOf(const ScreenSnapshot& screen, int32_t y, const std::u16string& row, size_t at) {
    const std::u16string rest = row.substr(at);
    auto restFrom = [&](int32_t x) {
        return ReadRectText(screen, CellRect{x, y, int32_t(screen.width) - 1, y}, kCheckSeparator);
    };
    if (at < size_t(screen.width) && restFrom(int32_t(at)) == rest)
        return int32_t(at);
    for (int32_t x = 0; x < screen.width; ++x)
        if (restFrom(x) == rest)
            return x;
    return int32_t(std::min<size_t>(at, size_t(std::max<int>(screen.width - 1, 0))));
}

}  // namespace

std::optional<ScreenMatch> FindOnScreen(const ScreenSnapshot& screen, const std::u16string& testString) {
    if (testString.empty())
        return ScreenMatch{0, 0, u""};
    for (int32_t y = 0; y < screen.height; ++y) {
        const std::u16string row = rowText(screen, y);
        for (size_t at = row.find(testString); at != std::u16string::npos; at = row.find(testString, at + 1)) {
            const int32_t x = columnOf(screen, y, row, at);
            if (StringOnScreen(screen, x, y, testString))
                return ScreenMatch{x, y, testString};
        }
    }
    return std::nullopt;
}

struct ScreenPattern::Impl {
    pcre2_code* code = nullptr;
};

ScreenPattern::ScreenPattern(const std::u16string& pattern) : m_impl(std::make_unique<Impl>()) {
    // JavaScript's escapes (\uhhhh, \xhh), its empty classes ([] and [^]) and its unset
    // back references (they match nothing), as the RegExp object of scripts has them.
    const uint32_t options = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF;
    int error = 0;
    PCRE2_SIZE offset = 0;
    m_impl->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error,
                                 &offset, nullptr);
    if (!m_impl->code)
        throw ScriptRuntimeError(vbs::err::RegExpSyntax, "Syntax error in regular expression");
}

ScreenPattern::~ScreenPattern() {
    pcre2_code_free(m_impl->code);
}

std::optional<std::pair<size_t, std::u16string>> ScreenPattern::match(const std::u16string& text) const {
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(m_impl->code, nullptr);
    if (!data)
        throw std::bad_alloc();
    std::optional<std::pair<size_t, std::u16string>> result;
    const int rc = pcre2_match(m_impl->code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, data,
                               nullptr);
    if (rc > 0) {
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        // \K can put the start after the end: the match is then empty at its end.
        const size_t start = std::min(ovector[0], ovector[1]);
        result.emplace(start, text.substr(start, ovector[1] - start));
    }
    pcre2_match_data_free(data);
    return result;
}

std::optional<ScreenMatch> ScreenPattern::find(const ScreenSnapshot& screen) const {
    for (int32_t y = 0; y < screen.height; ++y) {
        const std::u16string row = rowText(screen, y);
        if (auto m = match(row))
            return ScreenMatch{columnOf(screen, y, row, m->first), y, std::move(m->second)};
    }
    return std::nullopt;
}

}  // namespace qp
