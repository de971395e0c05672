#include "SuiteRun.h"

#include "Report.h"
#include "ScreenRender.h"
#include "ScriptPlayer.h"
#include "Suite.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <set>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace qp {

namespace {

std::string secondsText(double s) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", s);
    return b;
}

// One script played, with its tries, as the run prints and reports it.
struct Played {
    size_t index = 0;
    CaseResult result;
    std::string block;  // what to print: the tries' output, PASS or FAIL, the details
    std::string trace;  // the trace of every try
};

class Run {
public:
    Run(const PlayOptions& options, std::vector<SuiteScript> scripts,
        std::vector<std::vector<std::u16string>> texts, std::vector<IncludedScript> includes, std::stop_token stop)
        : m_options(options), m_scripts(std::move(scripts)), m_texts(std::move(texts)),
          m_player(options, std::move(includes)), m_stop(stop) {
        m_player.setStop(std::move(stop));
    }

    // Plays every script on `jobs` threads; onStart and onEnd are called on the calling
    // thread, in the order the events happened, never at the same time.
    template <typename OnStart, typename OnEnd>
    void play(OnStart onStart, OnEnd onEnd) {
        const size_t jobs = std::min<size_t>(size_t(std::max(1, m_options.jobs)), m_scripts.size());
        std::vector<std::thread> workers;
        for (size_t j = 0; j < jobs; ++j)
            workers.emplace_back([this] { work(); });
        size_t ended = 0;
        std::unique_lock lock(m_mutex);
        while (ended < m_scripts.size()) {
            m_wake.wait(lock, [this] { return !m_events.empty(); });
            Event e = std::move(m_events.front());
            m_events.pop_front();
            lock.unlock();
            if (e.ended) {
                ++ended;
                onEnd(*e.ended);
            } else {
                onStart(e.index);
            }
            lock.lock();
        }
        lock.unlock();
        for (std::thread& w : workers)
            w.join();
    }

private:
    void work() {
        for (;;) {
            const size_t i = m_next.fetch_add(1);
            if (i >= m_scripts.size())
                return;
            {
                std::lock_guard lock(m_mutex);
                m_events.push_back({i, nullptr});
            }
            m_wake.notify_all();
            auto p = std::make_unique<Played>(playWithRetries(i));
            {
                std::lock_guard lock(m_mutex);
                m_events.push_back({i, std::move(p)});
            }
            m_wake.notify_all();
        }
    }

    Played playWithRetries(size_t i) {
        const SuiteScript& script = m_scripts[i];
        Played p;
        p.index = i;
        const int tries = 1 + std::max(0, m_options.retries);
        std::vector<CaseResult> failed;
        for (int t = 1;; ++t) {
            std::ostringstream out, traceText;
            std::unique_ptr<TraceFile> trace;
            if (!m_options.traceFile.empty() || !m_options.artifactsDir.empty())
                trace = std::make_unique<TraceFile>(traceText);
            CaseResult r = m_player.play(script.path, m_texts[i], out, trace.get());
            r.name = script.name;
            r.className = script.className;
            if (trace)
                trace->note(r.status == CaseResult::Passed ? "passed" : "failed");
            p.trace += traceText.str();
            p.block += out.str();
            const std::string head = (r.status == CaseResult::Passed ? "PASS " : "FAIL ") + script.path + " (" +
                                     secondsText(r.seconds) + " s";
            // A script that does not parse fails the same way every time.
            const bool last = r.status == CaseResult::Passed || r.status == CaseResult::NotParsed || t == tries ||
                              m_stop.stop_requested();
            if (r.status == CaseResult::Passed) {
                p.block += head + (failed.empty() ? "" : ", flaky: passed on try " + std::to_string(t) + " of " +
                                                             std::to_string(tries)) + ")\n";
            } else {
                p.block += head + (last ? "" : ", try " + std::to_string(t) + " of " + std::to_string(tries) +
                                                   ", playing it again") + ")\n" + r.details;
            }
            if (last) {
                r.earlierTries = std::move(failed);
                p.result = std::move(r);
                return p;
            }
            failed.push_back(std::move(r));
        }
    }

    const PlayOptions& m_options;
    const std::vector<SuiteScript> m_scripts;
    const std::vector<std::vector<std::u16string>> m_texts;
    ScriptPlayer m_player;
    const std::stop_token m_stop;
    std::atomic<size_t> m_next{0};

    // A script started (no `ended`) or ended, in the order it happened.
    struct Event {
        size_t index;
        std::unique_ptr<Played> ended;
    };
    std::mutex m_mutex;  // guards m_events
    std::condition_variable m_wake;
    std::deque<Event> m_events;
};

// The one status line on a terminal: counts and the scripts being played.
class StatusLine {
public:
    StatusLine(std::ostream& out, bool on, int width, size_t total)
        : m_out(out), m_on(on), m_width(std::max(20, width)), m_total(total) {}

    void clear() {
        if (m_on && m_shown)
            m_out << "\r\033[K";
        m_shown = false;
    }
    void draw(size_t done, int passed, int failed, const std::map<size_t, std::string>& playing) {
        if (!m_on)
            return;
        std::string line = "[" + std::to_string(done) + "/" + std::to_string(m_total) + "] " +
                           std::to_string(passed) + " passed, " + std::to_string(failed) + " failed";
        if (!playing.empty()) {
            line += "; playing";
            for (const auto& [i, name] : playing)
                line += " " + name;
        }
        if (int(line.size()) > m_width - 1)
            line = line.substr(0, size_t(m_width - 4)) + "...";
        m_out << "\r\033[K" << line << std::flush;
        m_shown = true;
    }

private:
    std::ostream& m_out;
    bool m_on;
    int m_width;
    size_t m_total;
    bool m_shown = false;
};

// Writes a whole file through a temporary one beside it (see ReportFile). Empty, or why
// it could not.
std::string writeFile(const std::string& path, const std::string& text) {
    ReportFile file(path);
    if (!file.open())
        return file.error();
    file.stream() << text;
    return file.commit() ? std::string() : file.error();
}

// The name each script's artifacts and recording go by: its name without ".vbs", made
// unique in the run by a number after it.
std::vector<std::string> artifactKeys(const std::vector<SuiteScript>& scripts) {
    std::vector<std::string> keys;
    std::set<std::string> used;
    for (const SuiteScript& s : scripts) {
        std::string base = s.name;
        if (base.size() > 4 && base.compare(base.size() - 4, 4, ".vbs") == 0)
            base.resize(base.size() - 4);
        std::string key = base;
        for (int n = 2; !used.insert(key).second; ++n)
            key = base + "-" + std::to_string(n);
        keys.push_back(key);
    }
    return keys;
}

// What a failed script leaves for someone who did not see it fail: the report, the screen
// as text and as a page, the trace and the recording. Empty, or what could not be written
// and why.
std::string writeArtifacts(const std::string& folder, const CaseResult& r, const std::string& trace) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::vector<std::pair<std::string, std::string>> files = {{"report.txt", r.details}};
    if (r.screen) {
        files.emplace_back("screen.txt", ScreenRows(*r.screen));
        files.emplace_back("screen.html", ScreenHtml(*r.screen, r.area, r.name.empty() ? r.file : r.name, r.message));
    }
    if (!trace.empty())
        files.emplace_back("trace.txt", trace);
    if (!r.cast.empty())
        files.emplace_back("run.cast", r.cast);
    for (const auto& [name, text] : files)
        if (const std::string why = writeFile(folder + "/" + name, text); !why.empty())
            return folder + "/" + name + ": " + why;
    return "";
}

}  // namespace

int RunSuite(const PlayOptions& options, std::ostream& out, std::ostream& err, bool liveStatus, int width,
             std::stop_token stop) {
    // Everything that can be refused is refused before any script plays.
    SuiteScripts suite = CollectScripts(options);
    if (!suite.error.empty()) {
        err << "pallant-play: " << suite.error << "\n";
        return 2;
    }
    if (options.list) {
        for (const SuiteScript& s : suite.scripts)
            out << s.path << "\n";
        out << std::flush;
        return 0;
    }
    const std::pair<const std::string*, const char*> files[] = {{&options.junitFile, "the JUnit report"},
                                                                {&options.traceFile, "the trace file"}};
    for (const auto& [path, what] : files) {
        if (path->empty())
            continue;
        if (const std::string why = CannotWriteFile(*path); !why.empty()) {
            err << "pallant-play: cannot write " << what << " " << *path << ": " << why << "\n";
            return 2;
        }
    }
    const std::pair<const std::string*, const char*> folders[] = {{&options.artifactsDir, "the artifacts"},
                                                                  {&options.castDir, "the recordings"}};
    for (const auto& [path, what] : folders) {
        if (path->empty())
            continue;
        if (const std::string why = CannotWriteFolder(*path); !why.empty()) {
            err << "pallant-play: cannot write " << what << " into " << *path << ": " << why << "\n";
            return 2;
        }
    }
    std::vector<IncludedScript> includes;
    for (const std::string& path : options.includes) {
        std::string why;
        auto lines = ReadScriptLines(path, &why);
        if (!lines) {
            err << "pallant-play: cannot read the included script " << path << ": " << why << "\n";
            return 2;
        }
        includes.push_back({path, std::move(*lines)});
    }
    std::vector<std::vector<std::u16string>> texts;
    for (const SuiteScript& s : suite.scripts) {
        std::string why;
        auto lines = ReadScriptLines(s.path, &why);
        if (!lines) {
            err << "pallant-play: cannot read the script " << s.path << ": " << why << "\n";
            return 2;
        }
        texts.push_back(std::move(*lines));
    }
    std::unique_ptr<ReportFile> trace;
    if (!options.traceFile.empty()) {
        trace = std::make_unique<ReportFile>(options.traceFile);
        if (!trace->open()) {
            err << "pallant-play: cannot write the trace file " << options.traceFile << ": " << trace->error() << "\n";
            return 2;
        }
    }

    const SuiteInfo info = CurrentSuiteInfo();
    const auto started = std::chrono::steady_clock::now();
    const size_t total = suite.scripts.size();
    std::vector<CaseResult> results(total);
    int passed = 0, failed = 0, flaky = 0;
    bool notParsed = false;
    std::map<size_t, std::string> playing;
    StatusLine status(out, liveStatus, width, total);
    Run run(options, suite.scripts, std::move(texts), std::move(includes), stop);
    size_t done = 0;
    const std::vector<std::string> keys = artifactKeys(suite.scripts);
    std::vector<std::string> unwritten;
    status.draw(done, passed, failed, playing);
    run.play(
        [&](size_t i) {
            playing[i] = suite.scripts[i].name;
            if (liveStatus)
                status.draw(done, passed, failed, playing);
            else
                out << "START " << suite.scripts[i].path << std::endl;
        },
        [&](Played& p) {
            playing.erase(p.index);
            ++done;
            const CaseResult& r = p.result;
            const bool ok = r.status == CaseResult::Passed;
            passed += ok;
            failed += !ok;
            flaky += r.flaky();
            notParsed = notParsed || r.status == CaseResult::NotParsed;
            const std::string& key = keys[p.index];
            if (!options.castDir.empty()) {
                const std::string path = options.castDir + "/" + key + ".cast";
                std::error_code ec;
                std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
                if (const std::string why = writeFile(path, r.cast); !why.empty())
                    unwritten.push_back(path + ": " + why);
            }
            if (!options.artifactsDir.empty() && !ok) {
                const std::string folder = options.artifactsDir + "/" + key;
                if (const std::string failedFile = writeArtifacts(folder, r, p.trace); !failedFile.empty())
                    unwritten.push_back(failedFile);
                else
                    p.block += "Artifacts: " + folder + "/\n";
            }
            // On a terminal a script that passed quietly leaves only the count.
            if (!liveStatus || !ok || r.flaky() || !r.output.empty()) {
                status.clear();
                out << p.block << std::flush;
            }
            status.draw(done, passed, failed, playing);
            if (trace)
                trace->stream() << p.trace << std::flush;
            results[p.index] = std::move(p.result);
        });
    status.clear();
    out << passed << " passed" << (flaky ? " (" + std::to_string(flaky) + " flaky)" : std::string()) << ", "
        << failed << " failed" << std::endl;

    int exitStatus = notParsed ? 2 : failed ? 1 : 0;
    for (const std::string& path : unwritten) {
        err << "pallant-play: cannot write " << path << "\n";
        exitStatus = 2;
    }
    // A report that did not reach its file fails the run, never a silent pass.
    if (trace && !trace->commit()) {
        err << "pallant-play: cannot write the trace file " << options.traceFile << ": " << trace->error() << "\n";
        exitStatus = 2;
    }
    if (!options.junitFile.empty()) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (const std::string why = writeFile(options.junitFile, JUnitXml(results, seconds, info)); !why.empty()) {
            err << "pallant-play: cannot write the JUnit report " << options.junitFile << ": " << why << "\n";
            exitStatus = 2;
        }
    }
    return exitStatus;
}

}  // namespace qp
