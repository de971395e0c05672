// Command lines through the tokenizer, the shell-rule reader, the joining and the
// extension rule.

#include "console/ConsoleFuncs.h"
#include "console/ShellCommand.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t pos = 0;
    for (;;) {
        const size_t before = pos;
        const std::string token = qp::NextCmdToken(text, pos);
        if (token.size() > qp::kMaxCmdToken || pos < before)
            __builtin_trap();
        if (token.empty())
            break;
        if (pos == before)
            __builtin_trap();  // a token was found without moving on
    }
    const auto tokens = qp::SplitCmdTokens(text);
    qp::CmdToken(text, size ? data[0] % 8 - 1 : 0);
    qp::QuotesBalanced(text);
    const std::string joined = qp::JoinCommandArguments(tokens);
    qp::SplitCmdTokens(joined);
    qp::ReplaceExtension(std::string(text), ".vdesk");
    // Whatever the line, its words quoted again read back as the same words.
    const qp::ShellCommandLine read = qp::ReadCommandLine(text);
    if (!read.words.empty() && qp::ReadCommandLine(qp::ShellJoin(read.words)).words != read.words)
        __builtin_trap();
    return 0;
}
