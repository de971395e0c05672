#pragma once
// The runner's conversions between the ANSI code page (the locale's character set) and
// UTF-16, through iconv.

#include <string>
#include <string_view>

namespace qp::vbs {

std::u16string ansiToUtf16(std::string_view ansi);
std::string utf16ToAnsi(std::u16string_view text);

}  // namespace qp::vbs
