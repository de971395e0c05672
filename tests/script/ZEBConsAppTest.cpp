#include "ScriptTestSupport.h"

#include "script/ZEBConsApp.h"

using namespace qp;
using namespace qp::test;

namespace {

TEST_F(ConsoleObjectTest, OpenConsoleStartsTheCommandAndReturnsTheConsoleObject) {
    auto app = ZEBConsApp::create(session);
    EXPECT_EQ(app->dispId(u"openconsole"), 1);
    session->setConsoleObject(obj);
    auto r = call(*app, u"OpenConsole", {str(u"printf opened")});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().object(), obj.get());
    EXPECT_TRUE(obj->WaitString(5, 0, 0, u"opened"));
    session->clearConsoleObject();
}

TEST_F(ConsoleObjectTest, OpenConsoleWithoutAConsoleObjectReturnsNothing) {
    auto app = ZEBConsApp::create(session);
    auto r = call(*app, u"OpenConsole", {str(u"true")});
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.value().isNothing());
}

TEST_F(ConsoleObjectTest, OpenConsoleWhileAProgramRunsFailsWithTheAppSource) {
    auto app = ZEBConsApp::create(session);
    obj->RunCommand(u"sleep 5");
    auto r = call(*app, u"OpenConsole", {str(u"true")});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().source, u"QuorviaPallant.ZEBConsApp");
    EXPECT_EQ(r.error().number, kUnexpectedFailure);
}

}  // namespace
