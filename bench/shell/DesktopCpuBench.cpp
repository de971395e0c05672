// CPU time of the desktop program with a static 80 x 25 screen and with a program that
// repaints a 200 x 60 screen ten times a second, each beside the same run with the display
// repainted at every tick. Prints the figures and, last, "ratio <changed-only / every tick>".
//
//   bench_desktop_cpu [--seconds N]     (default 10 s per run)
// The program runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise, e.g.
//   xvfb-run -a env QT_QPA_PLATFORM=xcb bench_desktop_cpu
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double cpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)  // state .. cmajflt
        fields >> skip;
    unsigned long utime = 0, stime = 0;
    fields >> utime >> stime;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Runs pallant on the command, lets it settle, and returns its CPU share over `seconds`.
double measure(const std::vector<std::string>& command, bool everyTick, double seconds)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        if (everyTick)
            setenv("PALLANT_REPAINT_EVERY_TICK", "1", 1);
        else
            unsetenv("PALLANT_REPAINT_EVERY_TICK");
        std::vector<char*> argv{const_cast<char*>(QP_PALLANT)};
        for (const auto& a : command)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(QP_PALLANT, argv.data());
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const double before = cpuSeconds(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double after = cpuSeconds(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 100.0 * (after - before) / wall;
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atof(argv[i + 1]);

    const std::vector<std::string> staticScreen{"sh", "-c", "printf 'a static screen\\n'; exec sleep 100000"};
    const std::vector<std::string> painting{QP_PAINT_SCREEN};

    const double staticOurs = measure(staticScreen, false, seconds);
    const double staticEvery = measure(staticScreen, true, seconds);
    const double paintOurs = measure(painting, false, seconds);
    const double paintEvery = measure(painting, true, seconds);

    std::printf("seconds per run %.1f\n", seconds);
    std::printf("static 80x25, repaint on change: %.2f%% of one core (target under 2%%)\n", staticOurs);
    std::printf("static 80x25, repaint every tick: %.2f%% of one core\n", staticEvery);
    std::printf("200x60 at 10 frames/s, repaint on change: %.2f%% of one core (target under 15%%)\n", paintOurs);
    std::printf("200x60 at 10 frames/s, repaint every tick: %.2f%% of one core\n", paintEvery);
    const double baseline = staticEvery + paintEvery;
    std::printf("ratio %.3f\n", baseline > 0 ? (staticOurs + paintOurs) / baseline : 0.0);
    return 0;
}
