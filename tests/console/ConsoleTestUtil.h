#pragma once
// Shared by the console tests: waiting for the screen, reading it as text, and counting
// what a process holds (descriptors, unreaped children).

#include "console/HostedConsole.h"
#include "console/SnapshotBuilder.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qp::test {

inline std::string helper(const std::string& name)
{
    return std::string(QP_TEST_HELPERS_DIR) + "/" + name;
}

inline ConsoleOptions fastOptions(int16_t columns = 80, int16_t rows = 25)
{
    ConsoleOptions o;
    o.columns = columns;
    o.rows = rows;
    o.settle = std::chrono::milliseconds(0);
    return o;
}

// The deadline of every wait below: generous, so that only a fault, never a slow machine,
// reaches it.
inline constexpr std::chrono::milliseconds kWaitDeadline = std::chrono::seconds(60);

// Polls the console's snapshot until pred holds or the timeout passes; the last snapshot.
inline SnapshotPtr waitForScreen(HostedConsole& console, const std::function<bool(const ScreenSnapshot&)>& pred,
                                 std::chrono::milliseconds timeout = kWaitDeadline)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    SnapshotPtr snap = console.takeSnapshot();
    while (!pred(*snap) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        snap = console.takeSnapshot();
    }
    return snap;
}

inline std::string rowText(const ScreenSnapshot& s, int row) { return SnapshotRowText(s, row); }

inline bool screenContains(const ScreenSnapshot& s, const std::string& text)
{
    return SnapshotText(s).find(text) != std::string::npos;
}

inline SnapshotPtr waitForText(HostedConsole& console, const std::string& text,
                               std::chrono::milliseconds timeout = kWaitDeadline)
{
    return waitForScreen(console, [&](const ScreenSnapshot& s) { return screenContains(s, text); }, timeout);
}

// Waits until the program under test has ended (isProgramActive polls and reaps).
inline bool waitForExit(HostedConsole& console, std::chrono::milliseconds timeout = kWaitDeadline)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (console.isProgramActive()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline int openDescriptors()
{
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++count;
        closedir(d);
    }
    return count;
}

struct ChildProcessInfo {
    pid_t pid = 0;
    std::string name;  // as /proc shows it: at most 15 characters
    char state = 0;
};

// The processes whose parent is this one, ended ones not yet reaped too.
inline std::vector<ChildProcessInfo> childProcesses()
{
    std::vector<ChildProcessInfo> children;
    const pid_t self = getpid();
    DIR* d = opendir("/proc");
    if (!d)
        return children;
    while (dirent* e = readdir(d)) {
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            continue;
        std::istringstream rest(line.substr(close + 2));
        ChildProcessInfo child;
        pid_t ppid = 0;
        rest >> child.state >> ppid;
        if (ppid != self)
            continue;
        child.pid = pid_t(std::atoi(e->d_name));
        child.name = line.substr(open + 1, close - open - 1);
        children.push_back(child);
    }
    closedir(d);
    return children;
}

// Processes whose parent is this one and that are zombies.
inline int zombieChildren()
{
    const auto children = childProcesses();
    return int(std::count_if(children.begin(), children.end(), [](const ChildProcessInfo& c) { return c.state == 'Z'; }));
}

// A process of ours running the program `name`, or 0.
inline pid_t childNamed(const std::string& name)
{
    for (const ChildProcessInfo& c : childProcesses())
        if (c.name == name)
            return c.pid;
    return 0;
}

inline bool processGone(pid_t pid, std::chrono::milliseconds timeout = kWaitDeadline)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        bool alive = false;
        if (std::getline(stat, line)) {
            const size_t close = line.rfind(')');
            alive = close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
        }
        if (!alive)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace qp::test
