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

// The bytes of a regular file of at most maxBytes (never a folder, a device or a pipe, and
// opened without blocking), or nothing with the reason in `error`; `what` names the file in
// the reason ("it is larger than 16 MB, the most a script may be").
std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes, std::string_view what,
                                           std::string& error);

}  // namespace qp::vbs
