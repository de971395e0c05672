#pragma once
// Fonts of the display: the profile's plain font value to a real fixed-pitch Qt font and back.

#include "SpaceParams.h"

#include <QFont>

namespace qp {

// The display's font before any profile or user choice: Courier New, 10 points
// (13 pixels at 96 dots per inch).
FontSpec DesignDisplayFont();

// A fixed-pitch font for fontSpec. When the named typeface is missing or not fixed-pitch, the
// system's fixed-pitch font of the same size and style stands in.
QFont ToDisplayFont(const FontSpec& fontSpec);
FontSpec ToFontSpec(const QFont& font);

}  // namespace qp
