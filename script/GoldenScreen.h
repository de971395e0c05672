#pragma once
// Golden screens: a whole screen (the text and the attribute of every cell) kept in a
// readable text file beside a script, compared with the screen by Console.MatchScreen and
// written by the player's --update-golden. The file, UTF-8 with LF line ends:
//
//   # comment lines (and blank lines) may stand between the parts
//   screen 80x25
//   text
//   |one row of text per screen row, padded with blanks to the screen's width       |
//   ... (25 rows)
//   attributes
//   . 0007 white on black
//   a 001F bright white on blue, underline       <- the legend: key, attribute word (hex), words
//   |....aaaa......  (one key per cell, 80 per row)                                   |
//   ... (25 rows)
//
// Text rows are compared without the blanks on their right; a cell that holds no character
// reads as a blank, a control character as U+FFFD, a wide character once for its two cells.
// The attribute word is ReadAttr's, reduced to the bits scripts compare (colours, reverse,
// underline: AttrMask). Keys are one character (two when a screen has more attributes than
// there are keys); an update keeps the keys the file already gives, so a changed cell
// changes one line of the file. The words after the attribute are for people and ignored.

#include "console/ScreenTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qp {

// The attribute bits a golden screen keeps: the colours, reverse and underline.
inline constexpr uint16_t kGoldenAttrMask = 0xC0FF;
// A golden file larger than this is refused unread.
inline constexpr size_t kMaxGoldenBytes = 32u << 20;
// The longest name of a golden screen, in UTF-8 bytes.
inline constexpr size_t kMaxGoldenNameBytes = 200;

struct GoldenScreen {
    int width = 0;
    int height = 0;
    std::vector<std::string> rows;  // UTF-8, without the blanks on the right
    std::vector<uint16_t> attrs;    // width * height, row by row
    // The keys of a file as read (key, attribute), for an update to keep them.
    std::vector<std::pair<std::string, uint16_t>> legend;
    friend bool operator==(const GoldenScreen& a, const GoldenScreen& b) {
        return a.width == b.width && a.height == b.height && a.rows == b.rows && a.attrs == b.attrs;
    }
};

// The screen as a golden file keeps it.
GoldenScreen GoldenFromScreen(const ScreenSnapshot& screen);

// The file's text. Keys the previous file gave to attributes still on the screen stay theirs.
std::string FormatGoldenScreen(const GoldenScreen& screen, const GoldenScreen* previous = nullptr);

// A file's text read back; nothing, with the reason (and line) in `error`, when it is not a
// golden screen: binary, not UTF-8, truncated, a size no console takes, an unknown key.
std::optional<GoldenScreen> ParseGoldenScreen(std::string_view bytes, std::string& error);

// How the screen differs from the golden one, row by row (text and attributes), at most
// maxRows rows shown; empty when they are equal.
std::string GoldenDiff(const GoldenScreen& golden, const GoldenScreen& screen, size_t maxRows = 12);

// Why a name given by a script cannot name a golden file (empty, "." or "..", a path
// separator, a control character, an unpaired surrogate, too long); empty when it can.
std::string GoldenNameProblem(std::u16string_view name);

// Where a script's golden screens are kept: <its folder>/golden/<its name without extension>.
std::string GoldenFolderOf(const std::string& scriptPath);
// The file of a golden screen in that folder.
std::string GoldenFilePath(const std::string& folder, std::u16string_view name);

// Reads a golden file: its bytes, or nothing with the reason; `missing` tells a file that is
// not there from one that cannot be read.
std::optional<std::string> ReadGoldenFile(const std::string& path, std::string& error, bool& missing);
// Writes a golden file whole: its folders made, the text written beside it and renamed over
// it, so a failed write leaves the old file. False, with the reason, on a failure.
bool WriteGoldenFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace qp
