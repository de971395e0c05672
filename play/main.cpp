// pallant-play: plays VBScript test scripts against programs in a hosted console with no
// window, for test runs in CI.

#include "PlayOptions.h"
#include "Report.h"
#include "ScriptPlayer.h"

#include <clocale>
#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>

namespace {

int run(const qp::PlayOptions& options) {
    std::unique_ptr<std::ofstream> traceStream;
    std::unique_ptr<qp::TraceFile> trace;
    if (!options.traceFile.empty()) {
        traceStream = std::make_unique<std::ofstream>(options.traceFile, std::ios::binary | std::ios::trunc);
        if (!*traceStream) {
            std::cerr << "pallant-play: cannot write the trace file " << options.traceFile << "\n";
            return 2;
        }
        trace = std::make_unique<qp::TraceFile>(*traceStream);
    }

    // Every script is read before any runs, so a missing file stops the run at once.
    std::vector<std::vector<std::u16string>> texts;
    for (const std::string& path : options.scripts) {
        auto lines = qp::ReadScriptLines(path);
        if (!lines) {
            std::cerr << "pallant-play: cannot read the script " << path << "\n";
            return 2;
        }
        texts.push_back(std::move(*lines));
    }

    const auto started = std::chrono::steady_clock::now();
    qp::ScriptPlayer player(options, std::cout, trace.get());
    std::vector<qp::CaseResult> results;
    int passed = 0, failed = 0;
    bool notParsed = false;
    for (size_t i = 0; i < options.scripts.size(); ++i) {
        qp::CaseResult r = player.play(options.scripts[i], texts[i]);
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f", r.seconds);
        if (r.status == qp::CaseResult::Passed) {
            ++passed;
            std::cout << "PASS " << r.file << " (" << seconds << " s)" << std::endl;
        } else {
            ++failed;
            notParsed = notParsed || r.status == qp::CaseResult::NotParsed;
            std::cout << "FAIL " << r.file << " (" << seconds << " s)\n" << r.details << std::flush;
        }
        if (trace)
            trace->note(std::string(r.status == qp::CaseResult::Passed ? "passed" : "failed"));
        results.push_back(std::move(r));
    }
    std::cout << passed << " passed, " << failed << " failed" << std::endl;

    if (!options.junitFile.empty()) {
        const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::ofstream junit(options.junitFile, std::ios::binary | std::ios::trunc);
        junit << qp::JUnitXml(results, total);
        if (!junit) {
            std::cerr << "pallant-play: cannot write the JUnit report " << options.junitFile << "\n";
            return 2;
        }
    }
    return notParsed ? 2 : failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // A program under test that closes its terminal must not take the player with it.
    std::signal(SIGPIPE, SIG_IGN);
    const auto parsed = qp::ParsePlayOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "pallant-play: " << parsed.error << "\n\n" << qp::PlayUsage();
        return 2;
    }
    if (parsed.options->help) {
        std::cout << qp::PlayUsage();
        return 0;
    }
    if (parsed.options->version) {
        std::cout << "pallant-play " << QP_VERSION << "\n";
        return 0;
    }
    try {
        return run(*parsed.options);
    } catch (const std::exception& e) {
        std::cerr << "pallant-play: " << e.what() << "\n";
        return 2;
    }
}
