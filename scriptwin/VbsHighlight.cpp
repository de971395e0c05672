#include "VbsHighlight.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>

namespace qp {

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

const std::unordered_map<std::string, VbsStyle>& wordTable()
{
    static const std::unordered_map<std::string, VbsStyle> table = [] {
        std::unordered_map<std::string, VbsStyle> t;
        auto add = [&t](const auto& words, VbsStyle style) {
            for (std::string_view w : words)
                t.emplace(lower(w), style);  // the first group keeps a shared word
        };
        add(kKeyWords, VbsStyle::KeyWord);
        add(kFunctions, VbsStyle::Function);
        add(kProperties, VbsStyle::Property);
        add(kMethods, VbsStyle::Method);
        add(kObjects, VbsStyle::Object);
        add(kConstants, VbsStyle::Constant);
        return t;
    }();
    return table;
}

// Word characters: letters, digits, the underscore, and every byte of a non-ASCII
// character; delimiters are blanks, controls and the other ASCII punctuation.
bool isWordByte(unsigned char c)
{
    return c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

VbsStyle VbsWordStyle(std::string_view word)
{
    const auto& table = wordTable();
    auto it = table.find(lower(word));
    return it == table.end() ? VbsStyle::Default : it->second;
}

VbsLineState StyleVbsText(std::string_view text, VbsLineState state, std::vector<VbsStyle>& styles)
{
    styles.assign(text.size(), VbsStyle::Default);
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (state == VbsLineState::InString) {
            // A string runs to its closing quote, across line ends.
            styles[i] = VbsStyle::String;
            if (c == '"')
                state = VbsLineState::Root;
            ++i;
            continue;
        }
        if (c == '"') {
            styles[i++] = VbsStyle::String;
            state = VbsLineState::InString;
        } else if (c == '\'') {
            while (i < n && text[i] != '\r' && text[i] != '\n')
                styles[i++] = VbsStyle::Remark;
        } else if (isWordByte(c)) {
            size_t end = i;
            while (end < n && isWordByte(static_cast<unsigned char>(text[end])))
                ++end;
            VbsStyle style = VbsStyle::Default;
            if (isDigit(c)) {
                style = VbsStyle::Number;
                // A decimal fraction belongs to its number.
                if (end + 1 < n && text[end] == '.' && isDigit(static_cast<unsigned char>(text[end + 1]))) {
                    ++end;
                    while (end < n && isWordByte(static_cast<unsigned char>(text[end])))
                        ++end;
                }
            } else {
                style = VbsWordStyle(text.substr(i, end - i));
            }
            std::fill(styles.begin() + long(i), styles.begin() + long(end), style);
            i = end;
        } else {
            ++i;
        }
    }
    return state;
}

}  // namespace qp
