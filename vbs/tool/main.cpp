// pallant-vbs SCRIPT.vbs: runs a script with the engine alone. MsgBox texts go to standard
// output, one line each; errors to standard error as the host shows them. Exit status 0,
// 1 after a run-time error, 2 after a syntax error.
#include "AnsiText.h"
#include "vbs/Engine.h"
#include "script/MsgBoxButtons.h"
#include "vbs/ScriptFile.h"
#include "vbs/Text.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

class ConsoleSite : public qp::vbs::Site {
public:
    qp::vbs::ObjectRef namedItem(std::u16string_view) override { return {}; }

    void onScriptError(const qp::vbs::ScriptError& e) override
    {
        m_failed = true;
        m_syntax = e.syntax;
        std::string text = "Line: " + std::to_string(e.line + 1) + " Position: " + std::to_string(e.position + 1)
            + "\r\n" + qp::vbs::utf16ToAnsi(e.description) + "\n";
        std::fwrite(text.data(), 1, text.size(), stderr);
    }

    // Nobody answers the box: it gives its default button, as the headless player's do.
    int msgBox(std::u16string_view text, int buttons, std::u16string_view) override
    {
        std::string line = qp::vbs::utf16ToAnsi(text) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
        return qp::DefaultMsgBoxResult(buttons);
    }

    bool failed() const { return m_failed; }
    bool syntax() const { return m_syntax; }

private:
    bool m_failed = false;
    bool m_syntax = false;
};

}  // namespace

namespace {
constexpr const char* kUsage =
    "Usage: pallant-vbs [--memory-limit MB] SCRIPT.vbs\n"
    "Runs a script with the VBScript engine alone: MsgBox texts go to standard output,\n"
    "errors to standard error with their line and position. There is no Console object.\n"
    "The script must be a regular file of at most 16 MB.\n"
    "\n"
    "Options:\n"
    "  --memory-limit MB  what the script's arrays and strings may hold at once; beyond it\n"
    "                     error 7, Out of memory (default 2048, 0 for no limit)\n"
    "  -h, --help         this text\n"
    "  --version          the version\n"
    "\n"
    "Exit status: 0 when the script ran to its end, 1 after a run-time error, 2 after a\n"
    "syntax error, a file that cannot be read or a usage error.\n";

int usageError(const std::string& what)
{
    std::fprintf(stderr, "pallant-vbs: %s\n\n%s", what.c_str(), kUsage);
    return 2;
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string_view arg = argc == 2 ? argv[1] : "";
    if (arg == "--help" || arg == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (arg == "--version") {
        std::printf("pallant-vbs %s\n", QP_VERSION);
        return 0;
    }
    qp::vbs::EngineLimits limits;
    int at = 1;
    for (; at < argc; ++at) {
        const std::string_view option = argv[at];
        std::string_view value;
        if (option == "--memory-limit" && at + 1 < argc)
            value = argv[++at];
        else if (option.rfind("--memory-limit=", 0) == 0)
            value = option.substr(15);
        else
            break;
        size_t mb = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), mb);
        if (ec != std::errc() || end != value.data() + value.size() || value.empty() || mb > (size_t(1) << 30))
            return usageError("--memory-limit: \"" + std::string(value) + "\" is not a number of MB");
        limits.maxMemoryBytes = mb << 20;
    }
    // Any other option is a mistake, not a script's name (a script named so: ./-x.vbs).
    const std::string_view script = at < argc ? argv[at] : "";
    if (at + 1 != argc)
        return usageError("give one script");
    if (script.size() > 1 && script[0] == '-')
        return usageError("unknown option " + std::string(script));
    std::string why;
    const std::optional<std::string> bytes = qp::vbs::ReadScriptFile(argv[at], why);
    if (!bytes) {
        std::fprintf(stderr, "pallant-vbs: cannot read %s: %s\n", argv[at], why.c_str());
        return 2;
    }
    std::u16string text = qp::vbs::DecodeScriptBytes(*bytes).text;

    ConsoleSite site;
    qp::vbs::Engine engine(site, limits);
    if (engine.parse(text))
        engine.run();
    engine.close();
    if (site.failed())
        return site.syntax() ? 2 : 1;
    return 0;
}
