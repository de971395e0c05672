#pragma once
// Fonts of the display: the profile's plain font value to a real fixed-pitch Qt font and back.

#include "console/SpaceParams.h"

#include <QFont>
#include <QStringList>

namespace qp {

// The family the display uses for a wanted one: the wanted family when it is among the
// installed fixed-pitch ones (in their spelling), else the system's fixed-pitch family.
QString ChooseFixedFamily(const QString& wanted, const QStringList& fixedFamilies, const QString& systemFixed);
// The same over the fonts installed here. A name the font matcher would merely substitute
// (any family matches some installed font) does not count as installed.
QString InstalledFixedFamily(const QString& wanted);

// The display's font before any profile or user choice: 10 points (13 pixels at 96 dots per
// inch) of Courier New where it is installed, else of the system's fixed-pitch family.
FontSpec DesignDisplayFont();

// A fixed-pitch font for fontSpec. When the named typeface is missing or not fixed-pitch, the
// system's fixed-pitch font of the same size and style stands in.
QFont ToDisplayFont(const FontSpec& fontSpec);
FontSpec ToFontSpec(const QFont& font);

}  // namespace qp
