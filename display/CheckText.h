#pragma once
// The statements that check the screen: the CheckString / CheckRect block made from a
// selection, and the CheckWindow block the recorder writes when the active window changes.
// Texts are UTF-8 (the ANSI code page here); every line ends in CR LF.

#include "console/ScreenTypes.h"

#include <string>
#include <string_view>

namespace qp {

// A text as it stands inside a VBScript string literal: each double quote doubled, so the
// literal holds exactly the text and the statement runs.
std::string QuoteForScript(std::string_view text);

// "If Not Console.CheckString(L, T, "text") Then" for a rectangle of one row, or the
// CheckRect form with all four values for several rows, then the Err.Raise line and
// "End If". rect is 0-based, as the display's selection.
std::string CheckTextStatement(const CellRect& rect, std::string_view text);

// "If Not CheckWindow(L,T,R,B) Then", the Err.Raise line naming the window, "End If".
// rect is 1-based, as frame detection gives it.
std::string WindowCheckStatement(const CellRect& rect);

}  // namespace qp
