#pragma once
// The console's terminal emulator: our own parser and terminal state (console/Terminal.h)
// writing into the screen model. Not thread-safe: the console's screen lock guards every
// call. The helpers below cut byte streams without splitting UTF-8 characters, for callers
// that want whole characters in each piece (the terminal itself keeps split ones whole).

#include "Terminal.h"

#include <cstddef>

namespace qp {

using Emulator = Terminal;

// The length of the longest prefix of data that does not end inside a UTF-8 character;
// the rest (at most three bytes) would wait for the next read.
size_t CompleteUtf8Prefix(const char* data, size_t len);
// The largest cut at or before `limit` that does not split a UTF-8 character.
size_t Utf8SafeCut(const char* data, size_t len, size_t limit);

}  // namespace qp
