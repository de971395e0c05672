// Console.MatchScreen against a real program in the real pty: a missing golden screen fails,
// updating writes it and then it matches, a changed screen fails with the differing rows
// (raised as error 1 when called as a statement), bad names and hosts without a golden
// folder are errors, and a hostile golden file fails the check instead of the process.
#include "script/GoldenScreen.h"
#include "ScriptTestSupport.h"

#include "vbs/Text.h"

#include <filesystem>
#include <fstream>

using namespace qp;
using namespace qp::test;
namespace fs = std::filesystem;

namespace {

class MatchScreenTest : public ConsoleObjectTest {
protected:
    void SetUp() override {
        folder = (fs::path(::testing::TempDir()) / "qp-match-screen" /
                  ::testing::UnitTest::GetInstance()->current_test_info()->name())
                     .string();
        fs::remove_all(folder);
        session->setGoldenScreens({folder, false, [this](const std::string& path, bool created) {
                                       written.push_back((created ? "new " : "changed ") + path);
                                   }});
        runAndWait(u"printf \"\\033[31mred\\033[0m plain\\nend\"", 0, 1, u"end");
    }
    void TearDown() override { fs::remove_all(fs::path(folder).parent_path() / "x"); }

    void updating(bool update) {
        auto g = session->goldenScreens();
        g.update = update;
        session->setGoldenScreens(g);
    }
    // MatchScreen through the dispatch side, as a statement (result thrown away) or not.
    vbs::Result<vbs::Variant> match(std::u16string_view name, bool statement = false) {
        std::vector<vbs::Variant> args{str(name)};
        std::vector<vbs::ArgSlot> slots{vbs::ArgSlot{&args[0], true}};
        vbs::Args a(slots);
        a.setResultUsed(!statement);
        return obj->invoke(obj->dispId(u"MatchScreen"), vbs::InvokeKind::Method, a);
    }
    std::string file(const char* name) const { return folder + "/" + name + ".screen"; }

    std::string folder;
    std::vector<std::string> written;
};

TEST_F(MatchScreenTest, AMissingGoldenScreenFailsUntilUpdatedThenMatches) {
    auto r = match(u"Main");
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(r.value().boolValue());
    r = match(u"Main", true);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number, 1);
    EXPECT_EQ(vbs::toUtf8(r.error().description),
              "No golden screen " + file("Main") + " (pallant-play --update-golden writes it)");
    EXPECT_FALSE(fs::exists(file("Main")));

    updating(true);
    EXPECT_TRUE(obj->MatchScreen(u"Main"));
    EXPECT_EQ(written, std::vector<std::string>{"new " + file("Main")});
    updating(false);
    EXPECT_TRUE(obj->MatchScreen(u"Main"));
    EXPECT_TRUE(match(u"Main", true).ok());
    // The file holds the screen: the red word's cells have their own key.
    std::ifstream in(file("Main"));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\n|red plain"), std::string::npos) << text;
    EXPECT_NE(text.find("\n|aaa......."), std::string::npos) << text;
    // Updating an unchanged screen writes nothing.
    updating(true);
    EXPECT_TRUE(obj->MatchScreen(u"Main"));
    EXPECT_EQ(written.size(), 1u);
}

TEST_F(MatchScreenTest, AChangedScreenFailsWithTheDifferingRowsUnlessUpdated) {
    updating(true);
    ASSERT_TRUE(obj->MatchScreen(u"Main"));
    updating(false);
    obj->RunCommand(u"printf \"\\033[32mred\\033[0m plain\\nEND\"");
    ASSERT_TRUE(obj->WaitString(10, 0, 1, u"END"));
    auto r = match(u"Main", true);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number, 1);
    const std::string why = vbs::toUtf8(r.error().description);
    EXPECT_TRUE(why.starts_with("The screen differs from the golden screen " + file("Main") + ": 2 rows differ:\n"))
        << why;
    EXPECT_NE(why.find("row 0 attributes:\n  golden |aaa."), std::string::npos) << why;
    EXPECT_NE(why.find("row 1 text:\n  golden |end|\n  screen |END|"), std::string::npos) << why;
    // The check and the screen it read are what a failure report shows.
    ASSERT_TRUE(session->lastCheck());
    EXPECT_EQ(session->lastCheck()->call, "MatchScreen(\"Main\")");
    EXPECT_FALSE(session->lastCheck()->result);

    updating(true);
    EXPECT_TRUE(obj->MatchScreen(u"Main"));
    EXPECT_EQ(written.back(), "changed " + file("Main"));
    updating(false);
    EXPECT_TRUE(obj->MatchScreen(u"Main"));
}

TEST_F(MatchScreenTest, NamesThatLeaveTheFolderAreError5EvenWhenUpdating) {
    updating(true);
    for (std::u16string bad : {u"", u"..", u"../x", u"a/b", u"a\\b", u"a\tb"}) {
        auto r = match(bad);
        ASSERT_FALSE(r.ok()) << vbs::toUtf8(bad);
        EXPECT_EQ(r.error().number, 5);
        EXPECT_TRUE(vbs::toUtf8(r.error().description).starts_with("Invalid golden screen name")) << vbs::toUtf8(bad);
    }
    EXPECT_TRUE(written.empty());
    EXPECT_FALSE(fs::exists(fs::path(folder).parent_path() / "x.screen"));
}

TEST_F(MatchScreenTest, WithoutAGoldenFolderItIsAnError) {
    session->setGoldenScreens({});
    auto r = match(u"Main");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(vbs::toUtf8(r.error().description),
              "MatchScreen needs the script's file: golden screens are kept beside it");
}

struct HostileFile {
    const char* name;
    std::function<void(const std::string& path)> make;
    const char* reason;
};

TEST_F(MatchScreenTest, HostileGoldenFilesFailTheCheckAndAreRewrittenOnUpdate) {
    const std::vector<HostileFile> files = {
        {"Binary", [](const std::string& p) { std::ofstream(p, std::ios::binary) << std::string("\x7F" "ELF\0\0\x01", 7); },
         "holds NUL bytes"},
        {"Truncated", [](const std::string& p) { std::ofstream(p) << "screen 80x25\ntext\n|abc|\n"; }, "truncated"},
        {"Huge", [](const std::string& p) {
             std::ofstream(p) << "x";
             fs::resize_file(p, kMaxGoldenBytes + 10);
         }, "larger than 32 MB"},
        {"Folder", [](const std::string& p) { fs::create_directories(p); }, "it is a folder"},
    };
    fs::create_directories(folder);
    for (const HostileFile& f : files) {
        const std::string path = file(f.name);
        f.make(path);
        auto r = match(vbs::fromUtf8(f.name), true);
        ASSERT_FALSE(r.ok()) << f.name;
        EXPECT_EQ(r.error().number, 1) << f.name;
        const std::string why = vbs::toUtf8(r.error().description);
        EXPECT_TRUE(why.starts_with("The golden screen " + path + " cannot be read: ")) << why;
        EXPECT_NE(why.find(f.reason), std::string::npos) << why;
    }
    // An update replaces the broken files; a folder in the way stays and is an error.
    updating(true);
    for (const char* name : {"Binary", "Truncated", "Huge"}) {
        EXPECT_TRUE(obj->MatchScreen(vbs::fromUtf8(name))) << name;
        EXPECT_LT(fs::file_size(file(name)), 10000u) << name;
    }
    auto r = match(u"Folder");
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(vbs::toUtf8(r.error().description).starts_with("Cannot write the golden screen " + file("Folder")))
        << vbs::toUtf8(r.error().description);
}

}  // namespace
