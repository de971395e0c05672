// pallant-play: plays VBScript test scripts against programs in a hosted console with no
// window, for test runs in CI.

#include "PlayOptions.h"
#include "SuiteRun.h"

#include <atomic>
#include <clocale>
#include <csignal>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <stop_token>
#include <thread>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The terminal's width when standard output is one, else 0.
int terminalWidth() {
    if (!isatty(STDOUT_FILENO))
        return 0;
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

// The signals that tell the player to stop: a cancelled CI job (SIGTERM), Ctrl+C (SIGINT),
// a closed terminal (SIGHUP). Blocked in every thread from the start and taken by a thread
// of their own: the first stops the run (the scripts playing fail as interrupted, the rest
// are not played, the reports are still written, every process started ends, and the exit
// status is 128 plus the signal's number); a second ends the player at once.
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
    SignalWatch()
        : m_thread([this] {
              const sigset_t set = stopSignals();
              for (;;) {
                  int sig = 0;
                  if (sigwait(&set, &sig) != 0 || m_done.load())
                      return;
                  if (m_signal.exchange(sig) != 0) {
                      // Told twice: end now, as the signal would have.
                      std::signal(sig, SIG_DFL);
                      pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
                      raise(sig);
                      _exit(128 + sig);
                  }
                  std::cerr << "pallant-play: stopped by SIG" << sigabbrev_np(sig) << std::endl;
                  m_stop.request_stop();
              }
          }) {}
    ~SignalWatch() {
        m_done.store(true);
        pthread_kill(m_thread.native_handle(), SIGTERM);  // blocked here: taken by the thread
        m_thread.join();
    }
    std::stop_token token() const { return m_stop.get_token(); }
    int signal() const { return m_signal.load(); }

private:
    std::atomic<bool> m_done{false};
    std::atomic<int> m_signal{0};
    std::stop_source m_stop;
    std::thread m_thread;  // last: starts once the rest is ready
};

int run(const qp::PlayOptions& options) {
    const int width = terminalWidth();
    SignalWatch signals;
    const int status = qp::RunSuite(options, std::cout, std::cerr, width > 0, width, signals.token());
    return signals.signal() != 0 ? 128 + signals.signal() : status;
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
