#pragma once
// Character widths on the screen, from the Unicode data utf8proc carries: 2 for wide and
// full-width characters (CJK, most emoji), 0 for characters that join the one before them
// (combining and enclosing marks, zero-width format characters), 1 for the rest.

namespace qp {

int CharWidth(char32_t c);

}  // namespace qp
