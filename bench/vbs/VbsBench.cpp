// Times workloads in the script engine and the same programs in python3, in the same run.
// The first three print python time / our time (above 1 means faster than CPython); the
// objects and appending workloads print ours/python3 in processor time (at most 1.0 is the
// target). The last line is "ratio <value>" for the integer loop.
//   bench-vbs [REPEATS]   (each side's best of REPEATS runs; default 3)
#include "vbs/Engine.h"
#include "vbs/Text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <time.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Workload {
    const char* name;
    const char* vbs;     // sets the result through MsgBox
    const char* python;  // prints the result, then the seconds the work took
};

// The work sits in a procedure on both sides, so both use local variables.
const Workload kWorkloads[] = {
    {"integer loop (10M add/assign)",
     "Sub Work()\n"
     "    Dim i, x\n"
     "    x = 0\n"
     "    For i = 1 To 10000000\n"
     "        x = x + i\n"
     "        x = x - i + 1\n"
     "    Next\n"
     "    MsgBox x\n"
     "End Sub\n"
     "Work\n",
     "def work():\n"
     "    x = 0\n"
     "    for i in range(1, 10000001):\n"
     "        x = x + i\n"
     "        x = x - i + 1\n"
     "    return x\n"},
    {"strings (1M concatenations, Mid, InStr)",
     "Sub Work()\n"
     "    Dim i, s, t, n\n"
     "    n = 0\n"
     "    t = \"\"\n"
     "    For i = 1 To 1000000\n"
     "        s = \"k\" & i\n"
     "        If InStr(s, \"77\") > 0 Then n = n + 1\n"
     "        t = t & Mid(s, 2, 1)\n"
     "    Next\n"
     "    MsgBox n & \" \" & Len(t)\n"
     "End Sub\n"
     "Work\n",
     "def work():\n"
     "    n = 0\n"
     "    t = ''\n"
     "    for i in range(1, 1000001):\n"
     "        s = 'k' + str(i)\n"
     "        if s.find('77') + 1 > 0:\n"
     "            n = n + 1\n"
     "        t = t + s[1:2]\n"
     "    return str(n) + ' ' + str(len(t))\n"},
    {"calls (1M calls of a small Function)",
     "Function Add(a, b)\n"
     "    Add = a + b\n"
     "End Function\n"
     "Sub Work()\n"
     "    Dim i, x\n"
     "    x = 0\n"
     "    For i = 1 To 1000000\n"
     "        x = Add(x, 1)\n"
     "    Next\n"
     "    MsgBox x\n"
     "End Sub\n"
     "Work\n",
     "def add(a, b):\n"
     "    return a + b\n"
     "def work():\n"
     "    x = 0\n"
     "    for i in range(1, 1000001):\n"
     "        x = add(x, 1)\n"
     "    return x\n"},
};

// Script classes, the objects scripts create, and appending to an undeclared variable.
const Workload kObjectWorkloads[] = {
    {"class (1M property reads, writes, calls)",
     "Class Counter\n"
     "    Private m_n\n"
     "    Public Property Get N() : N = m_n : End Property\n"
     "    Public Property Let N(v) : m_n = v : End Property\n"
     "    Public Sub Add(k) : m_n = m_n + k : End Sub\n"
     "End Class\n"
     "Sub Work()\n"
     "    Dim c, i\n"
     "    Set c = New Counter\n"
     "    c.N = 0\n"
     "    For i = 1 To 1000000\n"
     "        c.N = c.N + 1\n"
     "        c.Add 2\n"
     "    Next\n"
     "    MsgBox c.N\n"
     "End Sub\n"
     "Work\n",
     "class Counter:\n"
     "    def __init__(self):\n"
     "        self._n = None\n"
     "    @property\n"
     "    def n(self):\n"
     "        return self._n\n"
     "    @n.setter\n"
     "    def n(self, v):\n"
     "        self._n = v\n"
     "    def add(self, k):\n"
     "        self._n = self._n + k\n"
     "def work():\n"
     "    c = Counter()\n"
     "    c.n = 0\n"
     "    for i in range(1, 1000001):\n"
     "        c.n = c.n + 1\n"
     "        c.add(2)\n"
     "    return c.n\n"},
    {"Dictionary (1M Add, Item, Exists)",
     "Sub Work()\n"
     "    Dim d, i, n\n"
     "    Set d = CreateObject(\"Scripting.Dictionary\")\n"
     "    For i = 1 To 1000000\n"
     "        d.Add \"k\" & i, i\n"
     "    Next\n"
     "    n = 0\n"
     "    For i = 1 To 1000000\n"
     "        n = n + d.Item(\"k\" & i)\n"
     "        If d.Exists(\"z\" & i) Then n = n - 1\n"
     "    Next\n"
     "    MsgBox n\n"
     "End Sub\n"
     "Work\n",
     "def work():\n"
     "    d = {}\n"
     "    for i in range(1, 1000001):\n"
     "        k = 'k' + str(i)\n"
     "        if k in d:\n"
     "            raise KeyError(k)\n"
     "        d[k] = i\n"
     "    n = 0\n"
     "    for i in range(1, 1000001):\n"
     "        n = n + d['k' + str(i)]\n"
     "        if ('z' + str(i)) in d:\n"
     "            n = n - 1\n"
     "    return n\n"},
    {"RegExp Replace over 10 MB",
     "Sub Work()\n"
     "    Dim text, re, r\n"
     "    text = Replace(Space(400000), \" \", \"ab 12 c3 \")\n"
     "    text = text & text & text\n"
     "    Set re = New RegExp\n"
     "    re.Pattern = \"(\\d+)\"\n"
     "    re.Global = True\n"
     "    r = re.Replace(text, \"<$1>\")\n"
     "    MsgBox Len(text) & \" \" & Len(r)\n"
     "End Sub\n"
     "Work\n",
     "import re\n"
     "def work():\n"
     "    text = 'ab 12 c3 ' * 400000\n"
     "    text = text + text + text\n"
     "    r = re.sub(r'(\\d+)', r'<\\1>', text)\n"
     "    return str(len(text)) + ' ' + str(len(r))\n"},
    {"appending 1M pieces, no Dim",
     "For i = 1 To 1000000\n"
     "    s = s & \"x\"\n"
     "Next\n"
     "MsgBox Len(s)\n",
     "def work():\n"
     "    s = ''\n"
     "    for i in range(1, 1000001):\n"
     "        s = s + 'x'\n"
     "    return len(s)\n"},
};

class ResultSite : public qp::vbs::Site {
public:
    qp::vbs::ObjectRef namedItem(std::u16string_view) override { return {}; }
    void onScriptError(const qp::vbs::ScriptError& e) override
    {
        std::fprintf(stderr, "script error %d: %s\n", e.number, qp::vbs::toUtf8(e.description).c_str());
    }
    int msgBox(std::u16string_view text, int, std::u16string_view) override
    {
        result = qp::vbs::toUtf8(text);
        return 1;
    }
    std::string result;
};

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Wall-clock seconds, or with `cpu` the processor time this process spent (steadier on a
// busy machine; python3 then reports its own with time.process_time).
double runEngine(const Workload& w, std::string& result, bool cpu = false)
{
    ResultSite site;
    auto start = Clock::now();
    double cpuStart = cpuSeconds();
    qp::vbs::Engine engine(site);
    if (engine.parse(qp::vbs::fromUtf8(w.vbs)))
        engine.run();
    engine.close();
    double secs = cpu ? cpuSeconds() - cpuStart : std::chrono::duration<double>(Clock::now() - start).count();
    result = site.result;
    return secs;
}

// Runs the Python program; its own clock excludes the interpreter's start-up.
double runPython(const Workload& w, std::string& result, bool cpu = false)
{
    std::string clock = cpu ? "time.process_time()" : "time.perf_counter()";
    std::string program = std::string("import time\n") + w.python + "t0 = " + clock + "\nr = work()\nt1 = " + clock
        + "\nprint(r)\nprint(t1 - t0)\n";
    char path[] = "/tmp/bench-vbs-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return -1;
    FILE* f = fdopen(fd, "w");
    std::fputs(program.c_str(), f);
    std::fclose(f);
    std::string cmd = std::string("python3 ") + path;
    FILE* p = popen(cmd.c_str(), "r");
    char line[256];
    std::string lines[2];
    for (int i = 0; p && i < 2 && std::fgets(line, sizeof line, p); ++i) {
        lines[i] = line;
        while (!lines[i].empty() && (lines[i].back() == '\n' || lines[i].back() == '\r'))
            lines[i].pop_back();
    }
    if (p)
        pclose(p);
    std::remove(path);
    result = lines[0];
    return lines[1].empty() ? -1 : std::atof(lines[1].c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    double firstRatio = 0;
    bool first = true;
    for (const Workload& w : kWorkloads) {
        double ours = 1e9, theirs = 1e9;
        std::string ourResult, theirResult;
        for (int i = 0; i < repeats; ++i) {
            ours = std::min(ours, runEngine(w, ourResult));
            double t = runPython(w, theirResult);
            if (t >= 0)
                theirs = std::min(theirs, t);
        }
        if (theirs >= 1e9) {
            std::printf("%-42s engine %.3f s   python3 unavailable\n", w.name, ours);
            continue;
        }
        double ratio = theirs / ours;
        std::printf("%-42s engine %.3f s   python3 %.3f s   ratio %.2f   results %s / %s%s\n", w.name, ours,
                    theirs, ratio, ourResult.c_str(), theirResult.c_str(),
                    ourResult == theirResult ? "" : "   (RESULTS DIFFER)");
        if (first)
            firstRatio = ratio;
        first = false;
    }
    for (const Workload& w : kObjectWorkloads) {
        double ours = 1e9, theirs = 1e9;
        std::string ourResult, theirResult;
        for (int i = 0; i < repeats; ++i) {
            ours = std::min(ours, runEngine(w, ourResult, true));
            double t = runPython(w, theirResult, true);
            if (t >= 0)
                theirs = std::min(theirs, t);
        }
        if (theirs >= 1e9) {
            std::printf("%-42s engine %.3f s   python3 unavailable\n", w.name, ours);
            continue;
        }
        std::printf("%-42s engine %.3f s   python3 %.3f s (CPU)   ours/python3 %.2f   results %s / %s%s\n", w.name, ours,
                    theirs, ours / theirs, ourResult.c_str(), theirResult.c_str(),
                    ourResult == theirResult ? "" : "   (RESULTS DIFFER)");
    }
    std::printf("ratio %.2f\n", firstRatio);
    return 0;
}
