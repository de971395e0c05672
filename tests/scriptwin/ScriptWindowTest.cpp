// The script window in the real main window, with bash in the real pty: recording typed
// keys, checks from selections played back at once, the play / record / stop states, Stop
// during a pause, script files, the editor's operations and colours, and the copy formats.
#include "scriptwin/ClipboardCopy.h"
#include "desktop/DockSite.h"
#include "shell/KeyReceiver.h"
#include "tests/shell/MainWindowFixture.h"
#include "scriptwin/ScriptRunner.h"
#include "display/widget/ConsoleView.h"
#include "scriptwin/ScriptEditor.h"
#include "scriptwin/ScriptWindow.h"
#include "scriptwin/VbsHighlight.h"
#include "scriptwin/VbsLexer.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using namespace qp;
using namespace qp::test;

namespace {

struct ScriptWin : MainWindowFixture {
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(form->RunInConsole("bash --norc --noprofile"));
        ASSERT_TRUE(waitFor([&] { return rowOf("bash") >= 0; }));
        form->action(ActionId::aShowScript)->trigger();
        ASSERT_NE(form->scriptWindow(), nullptr);
    }
    ScriptEditor* memo() { return form->scriptWindow()->editor(); }
    std::string script()
    {
        std::string s;
        const auto lines = memo()->Lines();
        for (size_t i = 0; i < lines.size(); ++i)
            s += (i ? "\r\n" : "") + lines[i];
        return s;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(form->keyReceiver(), &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(form->keyReceiver(), &up);
    }
    void type(const QString& text)
    {
        for (QChar c : text)
            press(c.isLetter() ? Qt::Key_A + (c.toLower().unicode() - 'a') : c.unicode(), Qt::NoModifier, QString(c));
    }
    // The first row whose text contains piece, or -1.
    int rowOf(const std::string& piece)
    {
        const auto r = rows();
        for (size_t i = 0; i < r.size(); ++i)
            if (r[i].find(piece) != std::string::npos)
                return int(i);
        return -1;
    }
    // Every row, for a failure's message.
    std::string allRows()
    {
        std::string all;
        for (const auto& r : rows())
            all += r + "|";
        return all;
    }
    int prompts()
    {
        int n = 0;
        for (const auto& r : rows())
            n += r.rfind("bash", 0) == 0;
        return n;
    }
    void selectCells(int left, int top, int right, int bottom)
    {
        ConsoleView* d = form->consoleView();
        const int cw = d->CellWidth(), ch = d->CellHeight();
        const QPoint from(left * cw + 1, top * ch + 1), to(right * cw + cw / 2, bottom * ch + ch / 2);
        QTest::mousePress(d, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), d->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(d, &move);
        QTest::mouseRelease(d, Qt::LeftButton, {}, to);
    }
    bool playAndWait(int ms = 60000)
    {
        form->action(ActionId::aPlay)->trigger();
        return waitFor([&] { return !form->scriptRunner()->busy(); }, ms);
    }
    struct State {
        bool playChecked, playEnabled, recordChecked, recordEnabled, stopChecked, stopEnabled;
        int image;
        bool operator==(const State&) const = default;
    };
    State state()
    {
        form->updateActions();
        auto* play = form->action(ActionId::aPlay);
        auto* rec = form->action(ActionId::aRecord);
        auto* stop = form->action(ActionId::aStop);
        return {play->isChecked(), play->isEnabled(), rec->isChecked(), rec->isEnabled(), stop->isChecked(),
                stop->isEnabled(), form->tabImageIndex(1)};
    }
};

const ScriptWin::State kIdle{false, true, false, true, true, false, kImageIdle};
const ScriptWin::State kRecording{false, false, true, true, false, true, kImageRecording};
const ScriptWin::State kPlaying{true, true, false, false, false, true, kImagePlaying};

}  // namespace

TEST_F(ScriptWin, ShowScriptDocksTheWindowAsTheSecondPageOnce)
{
    EXPECT_EQ(form->pages()->count(), 2);
    EXPECT_EQ(form->pages()->currentIndex(), 1);
    EXPECT_EQ(form->pages()->widget(1), form->scriptWindow());
    form->action(ActionId::aShowScript)->trigger();  // hide
    form->updateActions();
    EXPECT_FALSE(form->action(ActionId::aShowScript)->isChecked());
    form->action(ActionId::aShowScript)->trigger();  // show again: not docked a second time
    form->updateActions();
    EXPECT_TRUE(form->action(ActionId::aShowScript)->isChecked());
    EXPECT_EQ(form->pages()->count(), 2);
}

TEST_F(ScriptWin, RecordedSessionGivesItsStatementsAndPlaysBack)
{
    EXPECT_EQ(state(), kIdle);
    form->action(ActionId::aRecord)->trigger();
    EXPECT_EQ(state(), kRecording);
    form->action(ActionId::aRecord)->trigger();
    EXPECT_EQ(state(), kRecording) << "Record twice keeps recording";
    type("echo hi");
    press(Qt::Key_Return, Qt::NoModifier, "\r");
    ASSERT_TRUE(waitFor([&] { return screenHasRow("hi"); }));
    // The next prompt too: keys typed before the shell reads them again are echoed by the
    // terminal, and Ctrl+C then puts the new prompt behind them on the same row.
    ASSERT_TRUE(waitFor([&] { return prompts() >= 2; })) << allRows();
    press(Qt::Key_Shift, Qt::ShiftModifier);
    press(Qt::Key_A, Qt::ShiftModifier, "A");
    press(Qt::Key_C, Qt::ControlModifier);
    // The terminal drops what is typed ahead when Ctrl+C interrupts: wait for the prompt.
    ASSERT_TRUE(waitFor([&] { return prompts() >= 3; })) << allRows();
    type("echo ");
    press(Qt::Key_QuoteDbl, Qt::ShiftModifier, "\"");
    type("q");
    press(Qt::Key_QuoteDbl, Qt::ShiftModifier, "\"");
    press(Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(script(), "Console.PutKeys \"echo hi\"\r\n"
                        "Console.PutControl \"<Enter><Shift>\"\r\n"
                        "Console.PutKeys \"A\"\r\n"
                        "Console.PutControl \"<Ctrl+C>\"\r\n"
                        "Console.PutKeys \"echo \"\"q\"\"\"\r\n"
                        "Console.PutControl \"<Enter>\"");
    ASSERT_TRUE(waitFor([&] { return screenHasRow("q"); })) << allRows();

    // A check of the output, made from a selection while recording.
    const int row = rowOf("hi") + 1;
    ASSERT_TRUE(waitFor([&] { return rows()[size_t(row)] == "hi"; }));
    selectCells(0, row, 1, row);
    ASSERT_EQ(form->consoleView()->Selection(), (CellRect{0, row, 1, row}));
    form->action(ActionId::aCheckText)->trigger();
    const std::string check = "If Not Console.CheckString(0, " + std::to_string(row) + ", \"hi\") Then";
    EXPECT_NE(script().find(check), std::string::npos) << script();
    form->consoleView()->ClearSelection();

    form->action(ActionId::aStop)->trigger();
    EXPECT_EQ(state(), kIdle);

    // Played against the same program, the recording passes: no error box.
    auto box = answerNextBox("OK");
    ASSERT_TRUE(playAndWait());
    EXPECT_FALSE(box->seen) << box->text.toStdString();
    EXPECT_EQ(form->scriptRunner()->host().lastOutcome(), vbs::RunOutcome::Completed);
    EXPECT_TRUE(waitFor([&] { const auto r = rows();
        return std::count(r.begin(), r.end(), std::string("q")) >= 2; }));
    EXPECT_EQ(state(), kIdle);
}

TEST_F(ScriptWin, FailedCheckShowsTheErrorWithLineAndPosition)
{
    memo()->setLines({"' a check that cannot pass", "If Not Console.CheckString(0, 0, \"no such text\") Then",
                      "  Err.Raise 1, \"\", \"Not found string 'no such text'\"", "End If"});
    auto box = answerNextBox("OK");
    ASSERT_TRUE(playAndWait());
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(box->title, "Error");
    EXPECT_TRUE(box->text.startsWith("Line: 3 Position: 3\r\n")) << box->text.toUtf8().toHex().toStdString();
    EXPECT_TRUE(box->text.endsWith("Not found string 'no such text'")) << box->text.toStdString();
    EXPECT_EQ(state(), kIdle);
}

TEST_F(ScriptWin, StatesWhilePlayingAndStopDuringAPause)
{
    memo()->setLines({"Console.Pause 3600", "MsgBox \"after the pause\""});
    auto box = answerNextBox("OK");
    form->action(ActionId::aPlay)->trigger();
    EXPECT_FALSE(form->scriptRunner()->StartScriptThread({u"x = 1"})) << "held back while the first run starts";
    ASSERT_TRUE(waitFor([&] { return form->ScriptRunning(); }));
    EXPECT_EQ(state(), kPlaying);
    memo()->setLines({"MsgBox \"edited\""});  // the run keeps its own copy
    // Stop cuts the pause short: the run ends without waiting out its hour.
    form->action(ActionId::aStop)->trigger();
    ASSERT_TRUE(waitFor([&] { return !form->scriptRunner()->busy(); }));
    EXPECT_EQ(form->scriptRunner()->host().lastOutcome(), vbs::RunOutcome::Interrupted);
    EXPECT_FALSE(box->seen) << box->text.toStdString();
    EXPECT_EQ(state(), kIdle);

    // Playing again runs the edited text; the box answerer still waits for its box.
    ASSERT_TRUE(playAndWait());
    EXPECT_TRUE(box->seen);
    EXPECT_EQ(box->text, "edited");
}

TEST_F(ScriptWin, EditorOffsetsCountLineBreaksAsTwoAndInsertIsOneUndoStep)
{
    memo()->setLines({"ab", "cd"});
    memo()->SetSelStart(4);
    EXPECT_EQ(memo()->SelStart(), 4);
    EXPECT_EQ(memo()->SelEnd(), 4);
    memo()->SetSelEnd(6);
    EXPECT_EQ(memo()->SelectedText(), "cd");
    memo()->InsertScriptText("X\r\nY");
    EXPECT_EQ(script(), "ab\r\nX\r\nY");
    EXPECT_EQ(memo()->SelStart(), 8);
    memo()->undo();
    EXPECT_EQ(script(), "ab\r\ncd");
}

TEST_F(ScriptWin, EachGroupHasItsColour)
{
    memo()->setLines({"If MsgBox Description Raise Err vbCrLf 12 x ' If", "\"If\" Replace"});
    const std::string text = "If MsgBox Description Raise Err vbCrLf 12 x ' If\r\n\"If\" Replace";
    struct Case {
        const char* piece;
        uint32_t bgr;
    } cases[] = {
        {"If", 32768},    {"MsgBox", 16711680}, {"Description", 16711808}, {"Raise", 8388736},  {"Err", 33023},
        {"vbCrLf", 32896}, {"12", 128},          {"x '", 0},                 {"' If", 10485760}, {"\"If\"", 255},
        {"Replace", 16711680},
    };
    for (const Case& c : cases) {
        const int style = memo()->styleAt(int(text.find(c.piece)));
        EXPECT_EQ(memo()->highlighter()->color(style), ColorFromBgr(c.bgr)) << c.piece;
        EXPECT_EQ(memo()->highlighter()->paper(style), QColor(Qt::white)) << c.piece;
    }
}

TEST_F(ScriptWin, OpenAndSaveRoundTrips)
{
    QTemporaryDir dir;
    ScriptWindow* sf = form->scriptWindow();
    const QString mixed = dir.filePath("mixed.vbs");
    {
        QFile f(mixed);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("a  \nb\t\rc\r\n");
    }
    sf->LoadScript(mixed);
    EXPECT_EQ(script(), "a  \r\nb\t\r\nc");
    const QString saved = ScriptWindow::SaveFileName(dir.filePath("plain"));
    EXPECT_EQ(saved, dir.filePath("plain.vbs"));
    sf->SaveScript(saved);
    QFile out(saved);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    // Trailing blanks are not saved.
    EXPECT_EQ(out.readAll(), QByteArray("a\r\nb\r\nc\r\n"));

    // A missing file leaves the text alone.
    try {
        sf->LoadScript(dir.filePath("missing.vbs"));
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.filePath("missing.vbs").toStdString());
    }
    EXPECT_EQ(script(), "a  \r\nb\t\r\nc");

    // A save that cannot be written keeps the old file.
    memo()->setLines({std::string(4000, 'x')});
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    try {
        sf->SaveScript(saved);
    } catch (const std::exception& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    // The file's name, then why (in the user's language).
    EXPECT_EQ(error.substr(0, error.find('\n')), "Cannot create file " + saved.toStdString());
    EXPECT_NE(error.find('\n'), std::string::npos);
    QFile again(saved);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("a\r\nb\r\nc\r\n"));
}

TEST_F(ScriptWin, CopyPutsEveryFormatOnTheClipboard)
{
    type("echo hi");
    press(Qt::Key_Return, Qt::NoModifier, "\r");
    ASSERT_TRUE(waitFor([&] { return screenHasRow("hi"); }));
    const int row = rowOf("hi") + 1;
    selectCells(0, row, 1, row);
    form->updateActions();
    EXPECT_TRUE(form->action(ActionId::aCopy)->isEnabled());
    form->action(ActionId::aCopy)->trigger();
    EXPECT_FALSE(form->consoleView()->HasSelection());
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    for (const char* type : {"text/plain", kMimeOemText, kMimeAnsiText, kMimeRtf, kMimeRtfApplication, kMimeLocale})
        EXPECT_TRUE(data->hasFormat(QString::fromLatin1(type))) << type;
    EXPECT_TRUE(data->hasImage());
    EXPECT_EQ(data->text(), "hi");
    EXPECT_EQ(data->data(kMimeOemText), QByteArray("hi"));
    EXPECT_TRUE(data->data(kMimeRtf).endsWith("\\cf3 \\chcbpat1 hi}}"));
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.width(), 2 * form->consoleView()->CellWidth());
    form->updateActions();
    EXPECT_FALSE(form->action(ActionId::aCopy)->isEnabled());

    form->action(ActionId::aScreenShot)->trigger();
    const QMimeData* shot = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(shot->hasImage());
    EXPECT_FALSE(shot->hasFormat(kMimeRtf));
}

// The docked script window beside the console with a coloured recorded script, left as a
// picture at $QP_SCRIPTWIN_SHOT (run under a virtual X server with the xcb platform).
TEST_F(ScriptWin, PictureOfTheRecordedScript)
{
    const QByteArray path = qgetenv("QP_SCRIPTWIN_SHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set QP_SCRIPTWIN_SHOT to a file name";
    form->resize(1200, 700);
    form->scriptWindow()->dockInto(form->rightPanel());
    form->rightPanel()->setSiteSize(QSize(560, form->height()));
    form->pages()->setCurrentIndex(0);
    form->action(ActionId::aRecord)->trigger();
    type("echo hi");
    press(Qt::Key_Return, Qt::NoModifier, "\r");
    ASSERT_TRUE(waitFor([&] { return screenHasRow("hi"); }));
    const int row = rowOf("hi") + 1;
    selectCells(0, row, 1, row);
    form->action(ActionId::aCheckText)->trigger();
    form->consoleView()->ClearSelection();
    memo()->SetSelStart(memo()->SelEnd());
    memo()->InsertScriptText("\r\n' done: tell the tester\r\nMsgBox \"All checks passed\", vbInformation\r\n");
    form->action(ActionId::aStop)->trigger();
    form->updateActions();
    settle();
    form->grab().save(QString::fromLocal8Bit(path));
}
