#pragma once
// Reading a script file: only a regular file (not a folder, a device or a pipe), and at
// most kMaxScriptBytes of it.

#include <cstddef>
#include <optional>
#include <string>

namespace qp::vbs {

inline constexpr size_t kMaxScriptBytes = 16u << 20;  // 16 MB

// The file's bytes, or nothing with the reason in `error`.
std::optional<std::string> ReadScriptFile(const std::string& path, std::string& error);

}  // namespace qp::vbs
