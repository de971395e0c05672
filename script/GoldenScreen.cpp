#include "GoldenScreen.h"

#include "console/CharWidth.h"
#include "console/HostedConsole.h"
#include "vbs/ScriptFile.h"
#include "text/Utf.h"
#include "vbs/Text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace qp {

namespace {

// The keys of the attribute layer: every printable ASCII character but the blank and the
// bar, the most readable first.
constexpr std::string_view kKeys =
    ".abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
    "*+-=#@%&$!?~^:;,<>()[]{}/\\_'\"`";
static_assert(kKeys.size() == 93);

bool isBlank(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u' '; });
}

// The cells of row `row` as a golden row: the text of each cell (a wide character once,
// from its first cell), blanks on the right cut off; `columns` gets the cells it covers.
std::u16string rowText(const ScreenSnapshot& s, int row, int& columns) {
    std::u16string text;
    size_t keep = 0;
    columns = 0;
    for (int col = 0; col < s.width; ++col) {
        if (s.continuesWide(col, row))
            continue;
        const size_t index = size_t(row) * size_t(s.width) + size_t(col);
        std::u16string cell;
        if (IsTrailingCell(s.wideCells[index]))
            cell = u" ";  // the half of a wide character that was overwritten
        else
            s.appendCellText(cell, index);
        for (char16_t& c : cell)
            if (c == 0)
                c = u' ';
            else if (c < 0x20 || c == 0x7F)
                c = u'\uFFFD';
        text += cell;
        if (!isBlank(cell)) {
            keep = text.size();
            columns = col + 1 + (col + 1 < s.width && s.continuesWide(col + 1, row) ? 1 : 0);
        }
    }
    text.resize(keep);
    return text;
}

std::string hex4(uint16_t value) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X", unsigned(value));
    return b;
}

std::string colourName(int colour) {
    static constexpr const char* names[8] = {"black", "blue", "green", "cyan", "red", "magenta", "yellow", "white"};
    return std::string(colour & 8 ? "bright " : "") + names[colour & 7];
}

// The attribute in words, for people reading the legend.
std::string attributeWords(uint16_t attr) {
    std::string words = colourName(attr & 0xF) + " on " + colourName((attr >> 4) & 0xF);
    if (attr & 0x4000)
        words += ", reverse";
    if (attr & 0x8000)
        words += ", underline";
    return words;
}

// Keys for every attribute of the screen: the previous file's where it gave one, new ones
// the most frequent attribute first (the blank screen's becomes '.'), then in order of
// first appearance.
std::map<uint16_t, std::string> assignKeys(const GoldenScreen& screen, const GoldenScreen* previous) {
    std::vector<uint16_t> order;
    std::map<uint16_t, size_t> count;
    for (uint16_t a : screen.attrs)
        if (count[a]++ == 0)
            order.push_back(a);
    std::stable_sort(order.begin(), order.end(), [&](uint16_t a, uint16_t b) { return count[a] > count[b]; });
    const bool wide = order.size() > kKeys.size();
    const size_t keyWidth = wide ? 2 : 1;
    std::map<uint16_t, std::string> keys;
    std::vector<std::string> used;
    if (previous)
        for (const auto& [key, attr] : previous->legend)
            if (key.size() == keyWidth && !keys.count(attr) &&
                std::find(order.begin(), order.end(), attr) != order.end() &&
                std::find(used.begin(), used.end(), key) == used.end()) {
                keys[attr] = key;
                used.push_back(key);
            }
    size_t next = 0;
    auto nextKey = [&] {
        for (;; ++next) {
            std::string key = wide ? std::string{kKeys[next / kKeys.size()], kKeys[next % kKeys.size()]}
                                   : std::string(1, kKeys[next]);
            if (std::find(used.begin(), used.end(), key) == used.end()) {
                ++next;
                return key;
            }
        }
    };
    for (uint16_t a : order)
        if (!keys.count(a)) {
            keys[a] = nextKey();
            used.push_back(keys[a]);
        }
    return keys;
}

std::string keyRow(const GoldenScreen& s, int row, const std::map<uint16_t, std::string>& keys) {
    std::string text = "|";
    for (int col = 0; col < s.width; ++col)
        text += keys.at(s.attrs[size_t(row) * size_t(s.width) + size_t(col)]);
    return text + "|";
}

// The number of cells a row's text covers, as it was padded when written, by the widths the
// terminal itself gives characters. Only used to pad, never to compare.
size_t cellsOf(const std::u16string& text) {
    size_t cells = 0;
    for (size_t i = 0; i < text.size();)
        cells += size_t(CharWidth(text::decodeUtf16(text, i)));
    return cells;
}

bool parseDecimal(std::string_view text, long& value) {
    if (text.empty() || text.size() > 6)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool validUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = uint8_t(s[i]);
        size_t n = 0;
        if (b >= 0xC2 && b <= 0xDF)
            n = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            n = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            n = 3;
        else if (b >= 0x80)
            return false;
        if (s.size() - i <= n)
            return false;
        for (size_t k = 1; k <= n; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n + 1;
    }
    return true;
}

// The part of a row line between its bars, or nothing when it is no row.
std::optional<std::string_view> rowContent(std::string_view line) {
    if (line.size() < 2 || line.front() != '|' || line.back() != '|')
        return std::nullopt;
    return line.substr(1, line.size() - 2);
}

}  // namespace

GoldenScreen GoldenFromScreen(const ScreenSnapshot& s) {
    GoldenScreen g;
    g.width = std::max<int>(s.width, 0);
    // A snapshot whose arrays are shorter than its size says is read only as far as they go.
    g.height = std::max<int>(s.height, 0);
    if (g.width > 0)
        g.height = std::min<int>(g.height, int((s.wideCells.size()) / size_t(g.width)));
    else
        g.height = 0;
    for (int row = 0; row < g.height; ++row) {
        int columns = 0;
        g.rows.push_back(vbs::toUtf8(rowText(s, row, columns)));
        for (int col = 0; col < g.width; ++col)
            g.attrs.push_back(s.wide(col, row).attr & kGoldenAttrMask);
    }
    return g;
}

std::string FormatGoldenScreen(const GoldenScreen& s, const GoldenScreen* previous) {
    const auto keys = assignKeys(s, previous);
    std::string text =
        "# Golden screen of Quorvia Pallant (Console.MatchScreen); pallant-play --update-golden rewrites it.\n"
        "# The text rows, then one key per cell for its attribute: the legend gives each key's\n"
        "# attribute word in hex (the bits of ReadAttr in AttrMask) and in words.\n";
    text += "screen " + std::to_string(s.width) + "x" + std::to_string(s.height) + "\ntext\n";
    for (const std::string& row : s.rows) {
        const size_t cells = cellsOf(vbs::fromUtf8(row));
        text += "|" + row + std::string(cells < size_t(s.width) ? size_t(s.width) - cells : 0, ' ') + "|\n";
    }
    text += "attributes\n";
    std::vector<std::pair<std::string, uint16_t>> legend;
    for (const auto& [attr, key] : keys)
        legend.emplace_back(key, attr);
    std::sort(legend.begin(), legend.end(), [](const auto& a, const auto& b) {
        return kKeys.find(a.first[0]) * 100 + (a.first.size() > 1 ? kKeys.find(a.first[1]) : 0) <
               kKeys.find(b.first[0]) * 100 + (b.first.size() > 1 ? kKeys.find(b.first[1]) : 0);
    });
    for (const auto& [key, attr] : legend)
        text += key + " " + hex4(attr) + " " + attributeWords(attr) + "\n";
    for (int row = 0; row < s.height; ++row)
        text += keyRow(s, row, keys) + "\n";
    return text;
}

std::optional<GoldenScreen> ParseGoldenScreen(std::string_view bytes, std::string& error) {
    if (bytes.find('\0') != std::string_view::npos) {
        error = "it holds NUL bytes: not a golden screen file";
        return std::nullopt;
    }
    if (!validUtf8(bytes)) {
        error = "it is not UTF-8 text: not a golden screen file";
        return std::nullopt;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    enum class Part { Size, TextHead, Text, AttrHead, Legend, Attrs, End } part = Part::Size;
    GoldenScreen g;
    std::map<std::string, uint16_t, std::less<>> legend;
    size_t keyWidth = 0;
    size_t lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return std::nullopt;
    };
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const bool inRows = part == Part::Text || part == Part::Attrs;
        if (!inRows && (line.empty() || line.front() == '#'))
            continue;
        switch (part) {
        case Part::Size: {
            const size_t x = line.find('x');
            long w = 0, h = 0;
            if (!line.starts_with("screen ") || x == std::string_view::npos ||
                !parseDecimal(line.substr(7, x - 7), w) || !parseDecimal(line.substr(x + 1), h))
                return fail("expected the screen's size, as in \"screen 80x25\"");
            if (!BufferSizeAcceptable(w, h))
                return fail("a screen of " + std::to_string(w) + "x" + std::to_string(h) + " is no console's size");
            g.width = int(w);
            g.height = int(h);
            part = Part::TextHead;
            break;
        }
        case Part::TextHead:
            if (line != "text")
                return fail("expected \"text\"");
            part = Part::Text;
            break;
        case Part::Text: {
            const auto row = rowContent(line);
            if (!row)
                return fail("expected text row " + std::to_string(g.rows.size()) + " between bars");
            std::string_view content = *row;
            while (!content.empty() && content.back() == ' ')
                content.remove_suffix(1);
            g.rows.emplace_back(content);
            if (int(g.rows.size()) == g.height)
                part = Part::AttrHead;
            break;
        }
        case Part::AttrHead:
            if (line != "attributes")
                return fail("expected \"attributes\"");
            part = Part::Legend;
            break;
        case Part::Legend:
            if (!line.starts_with('|')) {
                const size_t space = line.find(' ');
                const std::string_view key = line.substr(0, space);
                std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);
                const std::string_view word = rest.substr(0, rest.find(' '));
                unsigned value = 0;
                const bool hex = !word.empty() && word.size() <= 4 &&
                                 std::all_of(word.begin(), word.end(), [](char c) { return std::isxdigit(uint8_t(c)); });
                if (key.empty() || key.size() > 2 || !hex)
                    return fail("expected a legend line: a key, its attribute word in hex, words");
                if (!std::all_of(key.begin(), key.end(), [](char c) { return kKeys.find(c) != std::string_view::npos; }))
                    return fail("the key '" + std::string(key) + "' is not one of the legend's characters");
                if (keyWidth && key.size() != keyWidth)
                    return fail("the keys of a legend all have the same length");
                if (legend.count(key))
                    return fail("the key '" + std::string(key) + "' is given twice");
                std::sscanf(std::string(word).c_str(), "%x", &value);
                keyWidth = key.size();
                legend.emplace(std::string(key), uint16_t(value & kGoldenAttrMask));
                g.legend.emplace_back(std::string(key), uint16_t(value & kGoldenAttrMask));
                break;
            }
            if (legend.empty())
                return fail("the attribute rows come without a legend");
            part = Part::Attrs;
            [[fallthrough]];
        case Part::Attrs: {
            const auto row = rowContent(line);
            const size_t rowNo = g.attrs.size() / size_t(g.width);
            if (!row || row->size() != size_t(g.width) * keyWidth)
                return fail("expected attribute row " + std::to_string(rowNo) + ": " + std::to_string(g.width) +
                            " keys between bars");
            for (size_t i = 0; i < row->size(); i += keyWidth) {
                const auto found = legend.find(row->substr(i, keyWidth));
                if (found == legend.end())
                    return fail("the key '" + std::string(row->substr(i, keyWidth)) + "' is not in the legend");
                g.attrs.push_back(found->second);
            }
            if (g.attrs.size() == size_t(g.width) * size_t(g.height))
                part = Part::End;
            break;
        }
        case Part::End:
            return fail("unexpected text after the last attribute row");
        }
    }
    if (part != Part::End) {
        static constexpr const char* wanted[] = {"the screen's size", "the text rows", "the text rows",
                                                 "the attributes", "the attribute rows", "the attribute rows"};
        error = "it ends before " + std::string(wanted[int(part)]) + " (" + std::to_string(g.rows.size()) +
                " text rows and " + std::to_string(g.width ? g.attrs.size() / size_t(g.width) : 0) +
                " attribute rows of " + std::to_string(g.height) + "): it is truncated";
        return std::nullopt;
    }
    return g;
}

std::string GoldenDiff(const GoldenScreen& golden, const GoldenScreen& screen, size_t maxRows) {
    if (golden.width != screen.width || golden.height != screen.height)
        return "The golden screen is " + std::to_string(golden.width) + "x" + std::to_string(golden.height) +
               ", the screen is " + std::to_string(screen.width) + "x" + std::to_string(screen.height) + "\n";
    // The golden file's keys, and new ones for attributes it does not have.
    GoldenScreen both = screen;
    both.attrs.insert(both.attrs.end(), golden.attrs.begin(), golden.attrs.end());
    both.height *= 2;
    const auto keys = assignKeys(both, &golden);
    std::string diff;
    size_t shown = 0, differing = 0;
    std::map<uint16_t, std::string> usedKeys;
    for (int row = 0; row < golden.height; ++row) {
        const bool text = golden.rows[size_t(row)] != screen.rows[size_t(row)];
        const auto from = golden.attrs.begin() + ptrdiff_t(row) * golden.width;
        const bool attrs = !std::equal(from, from + golden.width, screen.attrs.begin() + ptrdiff_t(row) * golden.width);
        if (!text && !attrs)
            continue;
        if (++differing > maxRows)
            continue;
        ++shown;
        if (text)
            diff += "row " + std::to_string(row) + " text:\n  golden |" + golden.rows[size_t(row)] + "|\n  screen |" +
                    screen.rows[size_t(row)] + "|\n";
        if (attrs) {
            diff += "row " + std::to_string(row) + " attributes:\n  golden " + keyRow(golden, row, keys) +
                    "\n  screen " + keyRow(screen, row, keys) + "\n";
            for (int col = 0; col < golden.width; ++col) {
                const size_t i = size_t(row) * size_t(golden.width) + size_t(col);
                if (golden.attrs[i] != screen.attrs[i]) {
                    usedKeys[golden.attrs[i]] = keys.at(golden.attrs[i]);
                    usedKeys[screen.attrs[i]] = keys.at(screen.attrs[i]);
                }
            }
        }
    }
    if (differing == 0)
        return "";
    std::string head = differing == 1 ? "1 row differs" : std::to_string(differing) + " rows differ";
    if (differing > shown)
        head += " (the first " + std::to_string(shown) + " shown)";
    diff = head + ":\n" + diff;
    if (!usedKeys.empty()) {
        diff += "keys:";
        for (const auto& [attr, key] : usedKeys)
            diff += " " + key + " = " + hex4(attr) + " " + attributeWords(attr) + ";";
        diff.back() = '\n';
    }
    return diff;
}

std::string GoldenNameProblem(std::u16string_view name) {
    if (name.empty())
        return "it is empty";
    if (name == u"." || name == u"..")
        return "it would name a folder, not a file in the golden folder";
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == u'/' || c == u'\\')
            return "it holds a path separator";
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            return "it holds a control character";
        if (text::isHighSurrogate(c) && i + 1 < name.size() && text::isLowSurrogate(name[i + 1]))
            ++i;
        else if (text::isSurrogate(c))
            return "it holds an unpaired surrogate";
    }
    if (vbs::toUtf8(name).size() > kMaxGoldenNameBytes)
        return "it is longer than " + std::to_string(kMaxGoldenNameBytes) + " bytes";
    return "";
}

std::string GoldenFolderOf(const std::string& scriptPath) {
    const std::filesystem::path script(scriptPath);
    return (script.parent_path() / "golden" / script.stem()).string();
}

std::string GoldenFilePath(const std::string& folder, std::u16string_view name) {
    return (std::filesystem::path(folder) / (vbs::toUtf8(name) + ".screen")).string();
}

std::optional<std::string> ReadGoldenFile(const std::string& path, std::string& error, bool& missing) {
    missing = false;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        missing = true;
        error = "there is no such file";
        return std::nullopt;
    }
    return vbs::ReadRegularFile(path, kMaxGoldenBytes, "a golden screen", error);
}

bool WriteGoldenFile(const std::string& path, const std::string& text, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    if (ec) {
        error = "cannot make the folder " + target.parent_path().string() + ": " + ec.message();
        return false;
    }
    static std::atomic<unsigned> serial{0};
    const std::string temp = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            const int why = errno;
            out.close();
            fs::remove(temp, ec);
            error = std::string("cannot write it: ") + std::strerror(why ? why : EIO);
            return false;
        }
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int why = errno;
        fs::remove(temp, ec);
        error = std::string("cannot put it in place: ") + std::strerror(why);
        return false;
    }
    return true;
}

}  // namespace qp
