// The main window with the real hosted console: start-up, caption, actions, dialogs,
// refreshing and closing.
#include "shell/ActionTable.h"
#include "shell/CommandLine.h"
#include "console/ShellCommand.h"
#include "display/widget/DisplayFont.h"
#include "desktop/DockSite.h"
#include "shell/KeyReceiver.h"
#include "MainWindowFixture.h"
#include "display/widget/ConsoleView.h"
#include "shell/AboutBox.h"
#include "shell/RunDialog.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolBar>

#include <csignal>

using namespace qp;
using namespace qp::test;

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, ActionsCarryTheTablesTextsAndImages)
{
    for (const ActionSpec& entry : kActionTable) {
        SCOPED_TRACE(std::string(entry.name));
        QAction* a = form->action(entry.id);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text().toStdString(), entry.caption);
        if (entry.id != ActionId::aShowConsole) {
            EXPECT_EQ(a->toolTip().toStdString(), entry.hint);
        }
        EXPECT_FALSE(a->icon().isNull());
    }
    // No console window here: Show Console is disabled and its hint says why.
    EXPECT_FALSE(form->action(ActionId::aShowConsole)->isEnabled());
    EXPECT_TRUE(form->action(ActionId::aShowConsole)->toolTip().startsWith("Show console window"));
    EXPECT_TRUE(form->action(ActionId::aStop)->isChecked());

    QStringList bar;
    for (QAction* a : form->consoleToolBar()->actions())
        bar << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    EXPECT_EQ(bar.join(' ').toStdString(),
              "aNewWindow aRun | aCopy aScreenShot aPaste | aShowConsole aShowScript | aFont | aAbout");
}

TEST_F(MainWindowTest, LayoutStartsWithCollapsedPanelsAndTheConsolePage)
{
    EXPECT_EQ(form->windowTitle(), "Quorvia Pallant");
    EXPECT_EQ(form->bottomPanel()->height(), 1);
    EXPECT_EQ(form->rightPanel()->width(), 1);
    EXPECT_EQ(form->leftPanel()->width(), 1);
    EXPECT_EQ(form->pages()->count(), 1);
    EXPECT_EQ(form->pages()->tabText(0), "Console");
    EXPECT_EQ(form->tabImageIndex(0), -1);
    EXPECT_EQ(form->keyReceiver()->geometry(), QRect(9, 41, 112, 56));
    // The key receiver lies under the page control.
    EXPECT_NE(form->childAt(QPoint(60, 70)), form->keyReceiver());
    EXPECT_EQ(form->focusWidget(), form->keyReceiver());
    EXPECT_EQ(form->refreshTimer()->interval(), 100);
    EXPECT_TRUE(form->refreshTimer()->isActive());
}

TEST_F(MainWindowTest, CommandLineRulesDecideWhatRuns)
{
    form->ProcessCommandLine({});
    EXPECT_FALSE(form->IsProgramActive());
    form->ProcessCommandLine({"-Embedding"});
    EXPECT_FALSE(form->IsProgramActive());

    // Other letter case is a command, and a command that cannot start leaves the window
    // open with nothing running.
    auto box = answerNextBox("OK");
    form->ProcessCommandLine({"-embedding"});
    EXPECT_TRUE(box->seen);
    EXPECT_EQ(box->text, "Can't execute \"-embedding\"");
    EXPECT_FALSE(form->IsProgramActive());
    EXPECT_TRUE(form->isVisible());

    form->ProcessCommandLine({"sh", "-c", "exec sleep 30"});
    EXPECT_TRUE(form->IsProgramActive());
}

TEST(CommandLine, ArgumentsReachTheProgramAsTheyAre)
{
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string command;
    };
    const Case cases[] = {
        {"plain words", {"sh", "-c", "true"}, "sh -c true"},
        {"a path with a blank and a switch", {"/opt/my tool", "/x"}, "'/opt/my tool' /x"},
        {"a whole command line is one argument", {"sh -c \"exit 3\""}, "'sh -c \"exit 3\"'"},
        {"blanks and control characters are kept", {"ls\n", "\t-l\r"}, "'ls\n' '\t-l\r'"},
        {"quotes and dollars", {"echo", "it's", "$HOME"}, "echo 'it'\\''s' '$HOME'"},
        {"an empty argument", {"printf", ""}, "printf ''"},
        {"the automation switch is not quoted", {"-Embedding"}, "-Embedding"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommandFromArguments(c.args), c.command);
        EXPECT_EQ(ReadCommandLine(c.command).words, c.args);
    }
}

TEST_F(MainWindowTest, CaptionCarriesTheConsoleTitleWhileTheProgramRuns)
{
    ASSERT_TRUE(form->RunInConsole("sh -c \"printf '\\033]0;probe title\\007'; exec sleep 30\""));
    EXPECT_TRUE(waitFor([&] { return form->windowTitle() == "probe title ~ Quorvia Pallant"; }));
    form->KillProgram();
    EXPECT_TRUE(waitFor([&] { return form->windowTitle() == "Quorvia Pallant"; }));
    EXPECT_FALSE(form->IsProgramActive());
}

TEST_F(MainWindowTest, ScreenIsMirroredAndTheWindowFitsTheDisplay)
{
    ASSERT_TRUE(form->RunInConsole("sh -c \"printf 'mirrored text'; exec sleep 30\""));
    EXPECT_TRUE(waitFor([&] { return form->consoleView()->Lines().value(0).startsWith("mirrored text"); }));
    ConsoleView* d = form->consoleView();
    EXPECT_EQ(d->size(), QSize(80 * d->CellWidth(), 25 * d->CellHeight()));
    // The scroll box shows the whole display (up to the desktop's size).
    QScrollArea* box = form->consoleScrollBox();
    const int frame = box->viewport()->mapTo(box, QPoint(0, 0)).x();
    if (form->width() < form->screen()->availableGeometry().width()) {
        EXPECT_EQ(box->width(), d->width() + 2 * frame);
    }
}

TEST_F(MainWindowTest, AStaticScreenIsNotRepainted)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    ASSERT_TRUE(form->RunInConsole("sh -c \"printf 'still'; exec sleep 30\""));
    EXPECT_TRUE(waitFor([&] { return form->consoleView()->Lines().value(0).startsWith("still"); }));
    // The paint the text asked for is done; then ten ticks of the refresh timer over the
    // same screen paint nothing (counted in ticks, so a slow machine only takes longer).
    settle();
    int ticks = 0;
    const auto tick = QObject::connect(form->refreshTimer(), &QTimer::timeout, [&] { ++ticks; });
    form->consoleView()->installEventFilter(&counter);
    ASSERT_TRUE(waitFor([&] { return ticks >= 10; }));
    EXPECT_LE(counter.paints, 1);

    // Asked to, it repaints on the ticks.
    form->consoleView()->setRepaintEveryTick(true);
    counter.paints = 0;
    EXPECT_TRUE(waitFor([&] { return counter.paints >= 5; }));
    QObject::disconnect(tick);
    form->consoleView()->removeEventFilter(&counter);
}

TEST_F(MainWindowTest, ClosingAsksAndNoKeepsEverythingRunning)
{
    ASSERT_TRUE(form->RunInConsole("sh -c \"exec sleep 30\""));
    const int pid = form->console()->programPid();
    auto no = answerNextBox("&No");
    form->close();
    EXPECT_TRUE(no->seen);
    EXPECT_EQ(no->title, "Confirm");
    EXPECT_EQ(no->text, "Do you want to quit?");
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->IsProgramActive());

    auto yes = answerNextBox("&Yes");
    form->close();
    EXPECT_TRUE(yes->seen);
    EXPECT_FALSE(form->isVisible());
    // Destroying the window ends the program under test.
    form.reset();
    EXPECT_NE(::kill(pid, 0), 0);
}

TEST_F(MainWindowTest, RunDialogGivesTheCommandOnlyWhenConfirmed)
{
    auto type = [](const QString& text, const char* button) {
        return whenModal<RunDialog>([text, button](RunDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Run new command");
            EXPECT_EQ(dialog->size(), QSize(561, 101));
            dialog->edit()->setText(text);
            dialog->findChild<QPushButton*>(button)->click();
        });
    };
    QString command = "unchanged";
    auto cancelled = type("ignored", "cancel");
    EXPECT_FALSE(ShowRunDialog(form.get(), command));
    EXPECT_TRUE(cancelled->done());
    EXPECT_EQ(command, "unchanged");
    auto empty = type("", "ok");
    EXPECT_TRUE(ShowRunDialog(form.get(), command));
    EXPECT_TRUE(empty->done());
    EXPECT_EQ(command, "");
    auto run = type("sh -c \"exec sleep 30\"", "ok");
    form->action(ActionId::aRun)->trigger();
    EXPECT_TRUE(run->done());
    EXPECT_TRUE(form->IsProgramActive());
    EXPECT_EQ(form->focusWidget(), form->keyReceiver());
    EXPECT_EQ(QString(RunDialog::kFileFilter),
              "All executable files (*.com *.exe *.bat *.cmd *.lnk);;All files (*.*)");
}

// A manual of the test's own while a test runs (tests run side by side: each its own file).
struct TestManual {
    QTemporaryDir dir;
    QString path = dir.filePath("pallant.html");
    explicit TestManual(bool present)
    {
        if (present) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write("<html></html>");
        }
        SetManualFile(path);
    }
    ~TestManual() { SetManualFile(QString()); }
};

TEST_F(MainWindowTest, AboutBoxHelpOpensTheManualBesideTheProgram)
{
    EXPECT_EQ(ManualFile(), HelpFilePath());
    const TestManual manual(true);
    std::vector<QUrl> opened;
    SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    const auto help = whenModal<AboutBox>([](AboutBox* about) {
        EXPECT_EQ(about->windowTitle(), "About");
        about->findChild<QPushButton*>("help")->click();
    });
    form->action(ActionId::aAbout)->trigger();
    EXPECT_TRUE(help->done());
    SetUrlOpener(nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(manual.path));
    EXPECT_TRUE(HelpFilePath().endsWith(".html"));
    // The build tree holds the manual where an installation does, relative to the programs.
    EXPECT_TRUE(HelpFilePath().endsWith("/doc/quorvia-pallant/manual.html")) << HelpFilePath().toStdString();
    EXPECT_TRUE(QFileInfo::exists(HelpFilePath()));
}

TEST_F(MainWindowTest, HelpSaysSoWhenTheDesktopHasNoOpenerOrNoManual)
{
    auto helpThroughTheAboutBox = [this] {
        const auto help = whenModal<AboutBox>([](AboutBox* about) { about->findChild<QPushButton*>("help")->click(); });
        const auto box = answerNextBox("OK");
        form->action(ActionId::aAbout)->trigger();
        EXPECT_TRUE(help->done());
        EXPECT_TRUE(box->seen);
        return box->text;
    };
    {
        const TestManual missing(false);
        EXPECT_EQ(helpThroughTheAboutBox(), "The manual " + missing.path + " is missing.");
    }
    const TestManual manual(true);
    SetUrlOpener([](const QUrl&) { return false; });
    EXPECT_EQ(helpThroughTheAboutBox(), "This desktop has no program to open the manual " + manual.path + ".");
    SetUrlOpener(nullptr);
}

TEST_F(MainWindowTest, RecordAndStopSwitchRecordingAndTheTabImages)
{
    EXPECT_FALSE(form->Recording());
    form->aRecordExecute();
    EXPECT_TRUE(form->Recording());
    form->updateActions();
    EXPECT_TRUE(form->action(ActionId::aStop)->isEnabled());
    EXPECT_FALSE(form->action(ActionId::aStop)->isChecked());
    form->aStopExecute();
    EXPECT_FALSE(form->Recording());
    form->updateActions();
    EXPECT_TRUE(form->action(ActionId::aStop)->isChecked());
}

TEST_F(MainWindowTest, FontDialogOffersFixedPitchFontsAndTheChoiceReachesTheProfile)
{
    // The tests' own font to start from, whatever the machine's default is.
    FontSpec start;
    start.name = "DejaVu Sans Mono";
    start.size = 10;
    form->setDisplayFont(ToDisplayFont(start));
    const auto choose = whenModal<QFontDialog>([](QFontDialog* dialog) {
        EXPECT_TRUE(dialog->testOption(QFontDialog::MonospacedFonts));
        QFont chosen = dialog->currentFont();
        chosen.setPointSize(16);
        dialog->setCurrentFont(chosen);
        dialog->accept();
    });
    const int before = form->consoleView()->CellHeight();
    form->action(ActionId::aFont)->trigger();
    EXPECT_TRUE(choose->done());
    EXPECT_GT(form->consoleView()->CellHeight(), before);
    EXPECT_TRUE(QFontInfo(form->consoleView()->font()).fixedPitch());
    EXPECT_EQ(form->console()->displayFont().size, 16);
    EXPECT_EQ(form->console()->displayFont().name, "DejaVu Sans Mono");
}

TEST_F(MainWindowTest, AProfileSetsTheConsoleSizeAndTheDisplayFont)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath("profiled");
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf profiled\nexec sleep 30\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    QFile profile(dir.filePath("profiled.vdesk"));
    ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
    profile.write("[Console]\nWidth=100\nHeight=30\nFont.Name=DejaVu Sans Mono\nFont.Size=14\n");
    profile.close();

    ASSERT_TRUE(form->RunInConsole(program.toStdString()));
    ConsoleView* d = form->consoleView();
    EXPECT_TRUE(waitFor([&] { return d->Cols() == 100 && d->Rows() == 30; }));
    EXPECT_TRUE(waitFor([&] { return d->font().pointSize() == 14; }));
    EXPECT_EQ(d->size(), QSize(100 * d->CellWidth(), 30 * d->CellHeight()));
}
