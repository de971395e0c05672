#pragma once
// The ends of the programs started in one console, written into the trace as they happen,
// with their exit status. A thread waits on the running program's process (a process file
// descriptor, which wakes it when the program ends; a look every 20 ms where the kernel has
// none) and then learns the status from the console. Before a script starts the next
// program, and when the script ends, an end not written yet is written first, so every
// start in the trace is followed by its end, in order. Stands for the trace file in the
// console's session: keys, checks and starts go on to the file.

#include "console/HostedConsole.h"
#include "Report.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace qp {

class ProgramEndTrace final : public ScriptTraceListener {
public:
    // Both must outlive this object.
    ProgramEndTrace(HostedConsole& console, TraceFile& trace);
    ~ProgramEndTrace() override;  // finish()
    ProgramEndTrace(const ProgramEndTrace&) = delete;
    ProgramEndTrace& operator=(const ProgramEndTrace&) = delete;

    void keySent(std::string_view method, std::string_view key) override { m_trace.keySent(method, key); }
    void checkMade(std::string_view call, bool result, const ScreenSnapshot& screen) override {
        m_trace.checkMade(call, result, screen);
    }
    void programStarting() override;
    void programStarted(std::string_view commandLine) override;

    // Watches the program just started in the console (its start already written).
    void watch(const std::string& commandLine);
    // The script has ended: a program still running is ended with every process of the
    // console, and its end written as such; the thread stops. Later calls do nothing.
    void finish();

private:
    void run();
    // Writes the watched program's end when the console knows its status; true when it did.
    bool reportIfEnded(std::unique_lock<std::mutex>& lock);
    void wakeThread();

    HostedConsole& m_console;
    TraceFile& m_trace;
    int m_wakeFd = -1;  // an eventfd that ends the thread's wait on a process

    std::mutex m_mutex;  // guards everything below
    std::condition_variable m_changed;
    std::optional<std::string> m_command;  // the program watched, until its end is written
    int m_pid = 0;
    uint64_t m_serial = 0;  // counts the programs watched
    std::string m_endNote;  // how the programs ended, when the player ended them
    bool m_stopping = false;
    bool m_finished = false;
    std::thread m_thread;
};

}  // namespace qp
