#pragma once
// The screen's copy formats that need no toolkit: the RTF document of a rectangle with the
// cells' colours. The texts come from the readers of ScreenText.h.

#include "console/ScreenTypes.h"

#include <string>

namespace qp {

// The display font as the RTF document names it.
struct RtfFont {
    std::string name = "Courier New";
    int charset = 255;  // the OEM character set
    int points = 8;
    bool bold = false;
    bool italic = false;
};

// The RTF document of the cells of rect (0-based, inclusive; cells off the screen are
// left out): a colour table of the colours used, each cell's character escaped, and the
// end-of-row words after every row when rect spans several rows.
std::string BuildRtfDocument(const ScreenSnapshot& snapshot, const CellRect& rect, const RtfFont& font);

// One character as the RTF body writes it.
std::string RtfCharacter(char16_t u);

}  // namespace qp
