#pragma once
// Script files as lines: 8-bit text in which a carriage return, a line feed or both end a
// line; written back with CR LF after every line.

#include <string>
#include <string_view>
#include <vector>

namespace qp {

// A final line without a line break counts; a break at the very end adds no empty line.
std::vector<std::string> SplitScriptLines(std::string_view text);
// The line without the blanks (spaces and tabs) at its end; a script is saved so.
std::string WithoutTrailingBlanks(std::string line);
// Every line followed by CR LF: the file's bytes.
std::string JoinScriptLines(const std::vector<std::string>& lines);
// The file name with ".vbs" added when it has no extension.
std::string WithDefaultExtension(const std::string& path);

}  // namespace qp
