#pragma once
// Writing the user's keys into the script while recording, the window checks of the
// tracing, and the placement of checks made from a selection. The recorder keeps no
// position of its own: the statement it wrote last stays selected in the editor, and the
// selection is how the next key finds it.

#include "display/FrameDetect.h"
#include "ScriptEditing.h"

#include <string>

namespace qp {

// A statement longer than this starts a new one.
inline constexpr size_t kRecordMergeLimit = 60;
inline constexpr std::string_view kPutKeysCommand = "Console.PutKeys";
inline constexpr std::string_view kPutControlCommand = "Console.PutControl";

// Appends one key: a key combination (text such as "<Enter>") or a typed character. The
// text is written inside a string literal, so a double quote in it is doubled.
void RecordKeys(ScriptEditing& editor, bool combination, const std::string& keyText);

// Inserts the CheckWindow block for found when tracing is on and found differs from the
// window traced last (which it then becomes).
void RecordWindowCheck(ScriptEditing& editor, WindowTrace& trace, const CellRect& found);

// Inserts the check of text at rect (0-based) and leaves it selected; with text selected
// in the editor the check goes on the line after it.
void InsertCheckText(ScriptEditing& editor, const CellRect& rect, const std::string& text);

}  // namespace qp
