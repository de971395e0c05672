#pragma once
// Box-drawing and block characters (U+2500-U+259F) drawn as shapes that fill the character
// cell, as terminals do, instead of taken from the font: lines meet the cell's edges at the
// same place in every cell, so frames join without gaps whatever the font and its size.

#include <QColor>
#include <QRect>

class QPainter;

namespace qp {

// True for the characters DrawCellShape draws.
constexpr bool IsCellShape(char16_t ch) { return ch >= 0x2500 && ch <= 0x259F; }

// Draws ch into cell in colour over what is there (the cell's background is painted
// already). False, and nothing drawn, for other characters.
bool DrawCellShape(QPainter& painter, char16_t ch, const QRect& cell, const QColor& colour);

// The thickness of a light line in a cell of that size; heavy lines are twice as thick.
int LightLineWidth(int cellWidth, int cellHeight);

}  // namespace qp
