// A script in this process, whose console runs a program, asks for another console: the
// object it gets lives in another instance, reached through the bus, and its methods act
// on that instance's console. Runs on a bus of its own (with_bus.sh).
#include "script/ActiveScr.h"
#include "server/AutomationServer.h"
#include "console/HostedConsole.h"
#include "script/ZEBConsole.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace qp {
namespace {

TEST(ScriptAcrossInstances, RemoteConsoleAnswersTheScript)
{
    int argc = 1;
    char name[] = "server_script_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    HostedConsole console(nullptr, {});
    auto session = std::make_shared<ConsoleSession>(console);
    session->setConsoleObject(ZEBConsole::create(session));
    AutomationServer server(session, StartMode::Standalone);
    server.start();
    server.installRemoteRunner();
    console.runInConsole("bash --norc --noprofile");

    TVBScript host;
    std::u16string errors;
    host.setErrorBox([&](const std::u16string& message, const std::u16string&) { errors += message; });
    host.setNamedItems({u"Console"});
    host.setOnGetNamedItem([&](const std::u16string&, vbs::ObjectRef& o) { o = session->consoleObject(); });
    host.setLines({
        u"Set c = Console.RunCommand(\"bash --norc --noprofile\")",
        u"If c Is Console Then Err.Raise 1, , \"the same console\"",
        u"c.PutKeys \"echo script$((5*5))\"",
        u"c.PutControl \"<Enter>\"",
        u"If Not c.WaitString(10, 0, 1, \"script25\") Then Err.Raise 2, , \"no output there\"",
        u"c.ReadText 0, 1, 7, 1, t",
        u"If t <> \"script25\" Then Err.Raise 3, , \"read \" & t",
        u"If Not c.IsProcessActive() Then Err.Raise 4, , \"not running\"",
        u"If Console.CheckString(0, 1, \"script25\") Then Err.Raise 5, , \"typed here\"",
        u"c.KillProcess",
        u"Set c = Nothing",
    });
    host.RunScript();
    EXPECT_EQ(errors, u"");
    EXPECT_EQ(host.lastErrors().size(), 0u);
    console.killProgram();
}

}  // namespace
}  // namespace qp
