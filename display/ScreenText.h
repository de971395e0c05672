#pragma once
// Reading rectangles of the screen as text: each row of the rectangle right-trimmed of
// blanks and control characters, rows joined by a separator. The checks a script makes and
// the checks generated from a selection read through the same routine, so a generated
// check passes while the screen is unchanged.

#include "console/ScreenTypes.h"

#include <string>
#include <string_view>

namespace qp {

class HostedConsole;

// The separator of the checks and of ReadText.
inline constexpr std::u16string_view kCheckSeparator = u"/";

// Rectangles are 0-based and inclusive. Cells outside the snapshot are never read: the
// rectangle is clipped to the snapshot, while whether separators are written still follows
// the rectangle as given (a rectangle of several rows gives every row that lies on the
// screen followed by the separator). A rectangle entirely off the screen reads as empty.

// The UTF-16 characters of the rectangle.
std::u16string ReadRectTextWide(const ScreenSnapshot& snapshot, const CellRect& rect,
                                std::u16string_view separator);
// The same, passed through the ANSI code page and back, as the checks compare it.
std::u16string ReadRectText(const ScreenSnapshot& snapshot, const CellRect& rect,
                            std::u16string_view separator);
// The OEM bytes of the rectangle, taken as they are.
std::string ReadRectTextAnsi(const ScreenSnapshot& snapshot, const CellRect& rect,
                             std::string_view separator);

// The same three over a fresh snapshot of the console.
std::u16string ReadRectTextWide(HostedConsole& console, const CellRect& rect,
                                std::u16string_view separator);
std::u16string ReadRectText(HostedConsole& console, const CellRect& rect,
                            std::u16string_view separator);
std::string ReadRectTextAnsi(HostedConsole& console, const CellRect& rect,
                             std::string_view separator);

// The last column of the cells from (x, y) on that hold `units` UTF-16 units of text as the
// readers read them (a wide character's two cells give one unit or two, a cluster all of its
// units), so a check of a text covers the cells the text stands in. Where (x, y) is not on
// the screen, or the row ends first, every unit counts one cell from x.
int32_t TextEndColumn(const ScreenSnapshot& snapshot, int32_t x, int32_t y, size_t units);

// The whole screen as UTF-8 lines, each right-trimmed, for reports of failed runs.
std::string ScreenAsText(const ScreenSnapshot& snapshot);

}  // namespace qp
