#include "server/StartMode.h"

#include <gtest/gtest.h>

namespace qp {
namespace {

struct ModeCase {
    std::vector<std::string> args;
    StartMode mode;
};

TEST(StartModeTest, SwitchTable)
{
    const ModeCase cases[] = {
        {{}, StartMode::Standalone},
        {{"bash"}, StartMode::Standalone},
        {{"-Embedding"}, StartMode::Automation},
        {{"/Automation"}, StartMode::Automation},
        {{"-embedding"}, StartMode::Automation},
        {{"/regserver"}, StartMode::Register},
        {{"-RegServer"}, StartMode::Register},
        {{"-REGSERVER"}, StartMode::Register},
        {{"/UnRegServer"}, StartMode::Unregister},
        // Not switches: a double dash, a bare word, a prefix or a longer word.
        {{"--regserver"}, StartMode::Standalone},
        {{"regserver"}, StartMode::Standalone},
        {{"-reg"}, StartMode::Standalone},
        {{"-regservers"}, StartMode::Standalone},
        {{"-"}, StartMode::Standalone},
        {{"/"}, StartMode::Standalone},
        {{""}, StartMode::Standalone},
        // Any argument may hold the switch; the first matching rule decides.
        {{"bash", "-Automation"}, StartMode::Automation},
        {{"-UnregServer", "-RegServer"}, StartMode::Register},
        {{"-RegServer", "/embedding"}, StartMode::Automation},
    };
    for (const ModeCase& c : cases) {
        std::string shown;
        for (const std::string& a : c.args)
            shown += "[" + a + "]";
        EXPECT_EQ(StartModeOf(c.args), c.mode) << shown;
    }
}

TEST(StartModeTest, SwitchesAreWholeWordsAfterOneMark)
{
    EXPECT_TRUE(IsSwitch("/eMbEdDiNg", "EMBEDDING"));
    EXPECT_FALSE(IsSwitch("\\Embedding", "EMBEDDING"));
    EXPECT_FALSE(IsSwitch("-Embedding ", "EMBEDDING"));
    EXPECT_FALSE(IsSwitch(std::string("-Embedding\0", 11), "EMBEDDING"));
}

}  // namespace
}  // namespace qp
