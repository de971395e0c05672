#pragma once
// The text of a script file from its bytes, as every reader of scripts takes it (the player,
// pallant-vbs, the script window's Open): UTF-8 with or without a byte-order mark, UTF-16
// little- or big-endian with one (what Windows editors write); a file without a mark whose
// bytes are not valid UTF-8 is Windows-1252 text. Only a regular file (not a folder, a
// device or a pipe) of at most kMaxScriptBytes is read as a script.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qp::vbs {

enum class ScriptEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Windows1252 };

struct DecodedScript {
    std::u16string text;
    ScriptEncoding encoding = ScriptEncoding::Utf8;
};

DecodedScript DecodeScriptBytes(std::string_view bytes);
// The same text as UTF-8 (for editors that hold UTF-8).
std::string DecodeScriptBytesToUtf8(std::string_view bytes);

inline constexpr size_t kMaxScriptBytes = 16u << 20;  // 16 MB

// The file's bytes, or nothing with the reason in `error`.
std::optional<std::string> ReadScriptFile(const std::string& path, std::string& error);

}  // namespace qp::vbs
