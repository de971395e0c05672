// pallant-vbs SCRIPT.vbs: runs a script with the engine alone. MsgBox texts go to standard
// output, one line each; errors to standard error as the host shows them. Exit status 0,
// 1 after a run-time error, 2 after a syntax error.
#include "AnsiText.h"
#include "Engine.h"
#include "ScriptFile.h"
#include "MsgBoxButtons.h"
#include "Text.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
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
    "Usage: pallant-vbs SCRIPT.vbs\n"
    "Runs a script with the VBScript engine alone: MsgBox texts go to standard output,\n"
    "errors to standard error with their line and position. There is no Console object.\n"
    "\n"
    "Options:\n"
    "  -h, --help    this text\n"
    "  --version     the version\n"
    "\n"
    "Exit status: 0 when the script ran to its end, 1 after a run-time error, 2 after a\n"
    "syntax error, a file that cannot be read or a usage error.\n";
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
    // Any other option is a mistake, not a script's name (a script named so: ./-x.vbs).
    if (argc != 2 || (arg.size() > 1 && arg[0] == '-')) {
        std::fprintf(stderr, "pallant-vbs: %s\n\n%s", argc != 2 ? "give one script" : "unknown option", kUsage);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pallant-vbs: cannot read %s\n", argv[1]);
        return 2;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::u16string text = qp::vbs::DecodeScriptBytes(buffer.str()).text;

    ConsoleSite site;
    qp::vbs::Engine engine(site);
    if (engine.parse(text))
        engine.run();
    engine.close();
    if (site.failed())
        return site.syntax() ? 2 : 1;
    return 0;
}
