#pragma once
// `pallant --help` and `pallant --version`: answered before the toolkit starts, so they work
// without a display and never show a window.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qp {

inline constexpr const char* kVersionText = "Quorvia Pallant, Version 1.1";

// When the first argument asks for the usage or the version: prints it to out and gives
// the exit code (0). Otherwise nothing: every argument belongs to the program under test.
std::optional<int> AnswerInfoRequest(const std::vector<std::string>& args, std::ostream& out);

}  // namespace qp
