// Scripts as the recorder writes them, with each check right after Enter and no wait in
// between, replayed twenty times in a row by pallant-play at both speeds: every replay
// passes because reads wait until the program has answered and gone quiet, and the first
// keys wait until the program has set itself up. The quiet a read waits for is 300 ms here,
// not the designed 50: on a loaded machine a program can stall longer than 50 ms in the
// middle of its answer (dialog has ended, the shell has yet to print), and a quiet that short
// would be taken for the end.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

constexpr int kReplays = 20;

struct RecordedCase {
    const char* name;
    const char* script;   // under tests/play/scripts/recorded
    const char* command;  // after --, as a shell line
    bool fast;
};

std::string runPlayer(const std::string& args, int& status) {
    const std::string command = std::string(QP_PLAY_BIN) + " " + args + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

class RecordedReplay : public ::testing::TestWithParam<RecordedCase> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qp-replay-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }
    fs::path m_folder;
};

TEST_P(RecordedReplay, PassesEveryTime) {
    const RecordedCase& c = GetParam();
    const fs::path source = fs::path(QP_SOURCE_DIR) / "tests/play/scripts/recorded" / c.script;
    for (int i = 0; i < kReplays; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "replay%02d.vbs", i);
        fs::copy_file(source, m_folder / name);
    }
    int status = -1;
    const std::string output = runPlayer(std::string(c.fast ? "--fast " : "") + "--read-settle 300 --time-limit 60 " +
                                             m_folder.string() + " -- " + c.command,
                                         status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find(std::to_string(kReplays) + " passed, 0 failed"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, RecordedReplay,
    ::testing::Values(RecordedCase{"BashNormalSpeed", "bash.vbs", "env 'PS1=$ ' bash --norc --noprofile", false},
                      RecordedCase{"BashFast", "bash.vbs", "env 'PS1=$ ' bash --norc --noprofile", true},
                      RecordedCase{"BcNormalSpeed", "bc.vbs", "bc -q", false},
                      RecordedCase{"BcFast", "bc.vbs", "bc -q", true},
                      RecordedCase{"DialogNormalSpeed", "dialog.vbs",
                                   "sh -c 'dialog --yesno Continue? 7 30; echo answer $?'", false},
                      RecordedCase{"DialogFast", "dialog.vbs",
                                   "sh -c 'dialog --yesno Continue? 7 30; echo answer $?'", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
