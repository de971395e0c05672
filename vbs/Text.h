#pragma once
// Text helpers shared by the engine and its hosts: UTF-8 <-> UTF-16 and VBScript's
// case-insensitive comparison of names and texts, all from the project's text library
// (text/): ill-formed input becomes U+FFFD, case follows Unicode's simple mappings.

#include "text/Case.h"
#include "text/Utf.h"

#include <string>
#include <string_view>

namespace qp::vbs {

inline std::u16string fromUtf8(std::string_view text) { return qp::text::utf8ToUtf16(text); }
inline std::string toUtf8(std::u16string_view text) { return qp::text::utf16ToUtf8(text); }

// Case of one UTF-16 code unit, as names, vbTextCompare, UCase and LCase use it; names and
// keywords compare without regard to case.
using qp::text::equalsNoCase;
using qp::text::foldCase;
using qp::text::toLower;
using qp::text::toUpper;

}  // namespace qp::vbs
