// pallant-play: plays VBScript test scripts against programs in a hosted console with no
// window, for test runs in CI.

#include "PlayOptions.h"
#include "Report.h"
#include "ScriptPlayer.h"

#include <atomic>
#include <clocale>
#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

// The signals that tell the player to stop: a cancelled CI job (SIGTERM), Ctrl+C (SIGINT),
// a closed terminal (SIGHUP). Blocked in every thread from the start and taken by one thread
// of their own: the first stops the player (the running script fails as interrupted, the
// report is still written, every process started ends); a second ends the player at once.
sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

class SignalWatch {
public:
    explicit SignalWatch(qp::ScriptPlayer& player)
        : m_thread([this, &player] {
              const sigset_t set = stopSignals();
              for (;;) {
                  int sig = 0;
                  if (sigwait(&set, &sig) != 0)
                      continue;
                  if (m_done.load())
                      return;
                  if (m_signal.exchange(sig) != 0) {
                      // Told twice: end now, as the signal would have.
                      std::signal(sig, SIG_DFL);
                      pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
                      raise(sig);
                      _exit(128 + sig);
                  }
                  std::cerr << "pallant-play: stopped by " << sigabbrev_np(sig) << "\n";
                  player.stop(std::string("Interrupted: the player was stopped by SIG") + sigabbrev_np(sig));
              }
          }) {}
    ~SignalWatch() {
        m_done.store(true);
        pthread_kill(m_thread.native_handle(), SIGTERM);
        m_thread.join();
    }
    int signal() const { return m_signal.load(); }

private:
    std::atomic<bool> m_done{false};
    std::atomic<int> m_signal{0};
    std::thread m_thread;
};

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
    SignalWatch signals(player);
    std::vector<qp::CaseResult> results;
    int passed = 0, failed = 0;
    bool notParsed = false;
    for (size_t i = 0; i < options.scripts.size(); ++i) {
        qp::CaseResult r;
        if (player.stopped()) {
            // Told to stop before this script: it is reported, not run.
            r.file = options.scripts[i];
            r.status = qp::CaseResult::Failed;
            r.message = "Not run: the player was stopped";
            r.details = r.message + "\n";
        } else {
            r = player.play(options.scripts[i], texts[i]);
        }
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
    if (signals.signal() != 0)
        return 128 + signals.signal();
    return notParsed ? 2 : failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // A program under test that closes its terminal must not take the player with it.
    std::signal(SIGPIPE, SIG_IGN);
    // Before any thread starts, so that every thread inherits the mask (programs under test
    // get the default mask back before they start).
    const sigset_t stops = stopSignals();
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
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
