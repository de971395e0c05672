#pragma once
// Tokens of the script text. Keywords are recognised without regard to case; the words that
// VBScript lets a script use as names (Step, Error, Explicit, Preserve, ...) stay identifiers
// and the parser recognises them by their text where they matter.

#include "Variant.h"

#include <cstdint>
#include <string_view>

namespace qp::vbs {

enum class Tok : uint8_t {
    Eof, Newline, Colon, Identifier, Number, String, Date,
    // Punctuation and operators.
    LParen, RParen, Comma, Dot, Plus, Minus, Star, Slash, Backslash, Caret, Amp,
    Eq, Ne, Lt, Gt, Le, Ge,
    // Reserved words, in the order of the keyword table.
    And, ByRef, ByVal, Call, Case, Class, Const, Dim, Do, Each, Else, ElseIf, Empty, End, Eqv,
    Erase, Exit, False, For, Function, GoTo, If, Imp, In, Is, Loop, Me, Mod, New, Next, Not,
    Nothing, Null, On, Option, Or, Private, Public, ReDim, Select, Set, Stop, Sub, Then, To,
    True, Until, Wend, While, With, Xor,
};

struct Token {
    Tok kind = Tok::Eof;
    int line = 0;  // 0-based
    int col = 0;   // 0-based, UTF-16 code units
    std::u16string_view text;  // as written (identifiers keep their spelling)
    bool spaceBefore = false;  // blanks separate it from the previous token (a .b vs a.b)
    Variant value;             // Number, String and Date literals
};

// The reserved word for a spelling, or Tok::Identifier.
Tok keywordFor(std::u16string_view word) noexcept;
// The canonical spelling of a token kind, for messages and tests.
std::u16string_view tokenName(Tok kind) noexcept;

}  // namespace qp::vbs
