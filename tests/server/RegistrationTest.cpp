#include "server/Introspection.h"
#include "server/Registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qp {
namespace {

namespace fs = std::filesystem;

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/qp-registration-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        m_home = name;
    }
    void TearDown() override { fs::remove_all(m_home); }

    std::vector<fs::path> filesUnder() const
    {
        std::vector<fs::path> files;
        for (const auto& e : fs::recursive_directory_iterator(m_home))
            if (e.is_regular_file())
                files.push_back(fs::relative(e.path(), m_home));
        std::sort(files.begin(), files.end());
        return files;
    }
    static std::string read(const fs::path& p)
    {
        std::ifstream in(p);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_home;
};

TEST_F(RegistrationTest, WritesActivationFilesAndInterfaces)
{
    WriteRegistration("/opt/qp/bin/pallant", m_home);
    const std::vector<fs::path> expected = {
        "dbus-1/interfaces/QuorviaPallant.ClassFactory.xml",
        "dbus-1/interfaces/QuorviaPallant.IZEBConsApp.xml",
        "dbus-1/interfaces/QuorviaPallant.IZEBConsole.xml",
        "dbus-1/services/QuorviaPallant.ZEBConsApp.service",
        "dbus-1/services/QuorviaPallant.ZEBConsole.service",
    };
    EXPECT_EQ(filesUnder(), expected);
    EXPECT_EQ(read(m_home / "dbus-1/services/QuorviaPallant.ZEBConsole.service"),
              "[D-BUS Service]\nName=QuorviaPallant.ZEBConsole\nExec=/opt/qp/bin/pallant -Embedding\n");
    const std::string console = read(m_home / "dbus-1/interfaces/QuorviaPallant.IZEBConsole.xml");
    EXPECT_NE(console.find("<interface name=\"QuorviaPallant.IZEBConsole\">"), std::string::npos);
    EXPECT_NE(console.find("<arg name=\"Buttom\" type=\"i\" direction=\"in\"/>"), std::string::npos);
    EXPECT_NE(console.find("<arg name=\"Readed\" type=\"s\" direction=\"out\"/>"), std::string::npos);
    EXPECT_NE(console.find("<arg name=\"ResConsole\" type=\"(so)\" direction=\"out\"/>"), std::string::npos);
    EXPECT_NE(console.find("<method name=\"Release\"/>"), std::string::npos);
}

TEST_F(RegistrationTest, TwiceLeavesTheSameFilesAndUnregisterRemovesExactlyThem)
{
    fs::create_directories(m_home / "dbus-1/services");
    std::ofstream(m_home / "dbus-1/services/other.service") << "[D-BUS Service]\nName=other\n";
    WriteRegistration("/usr/bin/pallant", m_home);
    const auto once = filesUnder();
    const std::string text = read(m_home / "dbus-1/services/QuorviaPallant.ZEBConsApp.service");
    WriteRegistration("/usr/bin/pallant", m_home);
    EXPECT_EQ(filesUnder(), once);
    EXPECT_EQ(read(m_home / "dbus-1/services/QuorviaPallant.ZEBConsApp.service"), text);
    RemoveRegistration(m_home);
    EXPECT_EQ(filesUnder(), std::vector<fs::path>{"dbus-1/services/other.service"});
    RemoveRegistration(m_home);  // nothing left to remove is no failure
}

TEST_F(RegistrationTest, UnwritableFolderIsTheRegistryError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    fs::create_directories(m_home / "dbus-1");
    fs::permissions(m_home / "dbus-1", fs::perms::owner_read | fs::perms::owner_exec);
    try {
        WriteRegistration("/usr/bin/pallant", m_home);
        ADD_FAILURE() << "no error";
    } catch (const RegistrationError& e) {
        EXPECT_STREQ(e.what(), "Error creating system registry entry");
    }
    fs::permissions(m_home / "dbus-1", fs::perms::owner_all);
}

TEST(RegistrationRules, ExecQuotesWhatTheBusWouldSplit)
{
    struct Case {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/pallant", "/usr/bin/pallant"},
        {"/opt/My Tools/pallant", "\"/opt/My Tools/pallant\""},
        {"/opt/it's/pallant", "\"/opt/it's/pallant\""},
        {"/opt/a\"b/pallant", "\"/opt/a\\\\\"b/pallant\""},
        {"/opt/a\\b $x `y`/pallant", "\"/opt/a\\\\\\\\b \\\\$x \\\\`y\\\\`/pallant\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExecCommand(c.path), c.exec) << c.path;
    EXPECT_THROW(ExecCommand("/opt/line\nbreak/pallant"), RegistrationError);
    EXPECT_THROW(ExecCommand("/opt/tab\there/pallant"), RegistrationError);
}

TEST(RegistrationRules, DataHomeFollowsTheVariableOnlyWhenAbsolute)
{
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", "/tmp/somewhere", 1);
    EXPECT_EQ(UserDataHome(), fs::path("/tmp/somewhere"));
    setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_EQ(UserDataHome().filename(), "share");
    EXPECT_TRUE(UserDataHome().is_absolute());
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST(IntrospectionTest, SignaturesFollowTheTypeLibrary)
{
    struct Case {
        const char* method;
        const char* in;
    } cases[] = {{"PutKeys", "s"}, {"CheckRect", "iiiis"}, {"ReadText", "iiii"}, {"WaitString", "iiis"},
                 {"KillProcess", ""}, {"RunCommand", "s"}};
    for (const Case& c : cases) {
        const MethodInfo* m = nullptr;
        for (const MethodInfo& x : IZEBConsoleInfo.methods)
            if (x.name == c.method)
                m = &x;
        ASSERT_NE(m, nullptr) << c.method;
        EXPECT_EQ(InSignature(*m), c.in) << c.method;
    }
    const std::string app = InterfaceXml(IZEBConsAppInfo);
    EXPECT_NE(app.find("<arg name=\"Command\" type=\"s\" direction=\"in\"/>"), std::string::npos);
    EXPECT_NE(app.find("<arg name=\"Console\" type=\"(so)\" direction=\"out\"/>"), std::string::npos);
    // Slot order: RunCommand (DISPID 2) comes tenth, after KillProcess.
    const std::string console = InterfaceXml(IZEBConsoleInfo);
    EXPECT_LT(console.find("\"KillProcess\""), console.find("\"RunCommand\""));
    EXPECT_LT(console.find("\"PutKeys\""), console.find("\"PutControl\""));
}

}  // namespace
}  // namespace qp
