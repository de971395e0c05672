// Keys typed into the console page reach a real program in the real pty: the records the
// console received, the key log, the selection rule and the paste.
#include "shell/KeyLogWindow.h"
#include "console/KeyEventRecord.h"
#include "shell/KeyReceiver.h"
#include "MainWindowFixture.h"
#include "display/widget/ConsoleView.h"

#include <QAction>
#include <QClipboard>
#include <QMenuBar>
#include <QPlainTextEdit>

using namespace qp;
using namespace qp::test;

namespace {

struct Keys : MainWindowFixture {
    size_t mark = 0;
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(form->RunInConsole("bash --norc --noprofile"));
        form->keyReceiver()->setFocus();
        mark = form->console()->inputLog().size();
    }
    // Records written since the last call.
    std::vector<KeyEventRecord> newRecords()
    {
        auto log = form->console()->inputLog();
        std::vector<KeyEventRecord> out(log.begin() + std::min(mark, log.size()), log.end());
        mark = log.size();
        return out;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(form->keyReceiver(), &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(form->keyReceiver(), &up);
    }
    QStringList keyLog() const
    {
        return form->keyLogWindow() ? form->keyLogWindow()->memo()->toPlainText().split('\n') : QStringList();
    }
};

KeyEventRecord record(uint16_t vkey, uint16_t ch, uint32_t state)
{
    KeyEventRecord r;
    r.virtualKeyCode = vkey;
    r.unicodeChar = ch;
    r.controlKeyState = state;
    return r;
}

}  // namespace

TEST_F(Keys, TypedCommandReachesBashAndItsOutputTheDisplay)
{
    QTest::keyClicks(form->keyReceiver(), "echo hi");
    QTest::keyClick(form->keyReceiver(), Qt::Key_Return);
    EXPECT_TRUE(waitFor([&] { return screenHasRow("hi"); }));
    EXPECT_TRUE(waitFor([&] { return form->consoleView()->Lines().join('\n').contains("\nhi"); }));
    // The receiver's own text never changes.
    EXPECT_TRUE(form->keyReceiver()->toPlainText().isEmpty());
}

TEST_F(Keys, KeysAreClassifiedAsCharactersOrCombinations)
{
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        KeyEventRecord sent;  // compared on code, character and control state
    };
    const Case cases[] = {
        {"ctrl+c is a combination: code 0x43, character 3", Qt::Key_C, Qt::ControlModifier, record(0x43, 0x03, LEFT_CTRL_PRESSED)},
        {"up is a combination", Qt::Key_Up, Qt::NoModifier, record(0x26, 0, 0)},
        {"shift+up is the keypad's name and plays as up with shift", Qt::Key_Up, Qt::ShiftModifier, record(0x26, 0, SHIFT_PRESSED)},
        {"shift+1 is the typed character '!'", Qt::Key_Exclam, Qt::ShiftModifier, record(0x31, '!', 0)},
        {"shift+9 is the typed character '('", Qt::Key_ParenLeft, Qt::ShiftModifier, record(0x39, '(', 0)},
        {"space is a typed character", Qt::Key_Space, Qt::NoModifier, record(0x20, ' ', 0)},
        {"a letter is a typed character", Qt::Key_Q, Qt::NoModifier, record(0x51, 'q', 0)},
        {"shift+letter types the capital", Qt::Key_Q, Qt::ShiftModifier, record(0x51, 'Q', 0)},
        {"tab is a combination", Qt::Key_Tab, Qt::NoModifier, record(0x09, 0x09, 0)},
        {"alt+x is a combination", Qt::Key_X, Qt::AltModifier, record(0x58, 'X', LEFT_ALT_PRESSED)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        newRecords();
        press(c.key, c.modifiers);
        const auto sent = newRecords();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].virtualKeyCode, c.sent.virtualKeyCode);
        EXPECT_EQ(sent[0].unicodeChar, c.sent.unicodeChar);
        EXPECT_EQ(sent[0].controlKeyState & 0x1F, c.sent.controlKeyState);
        EXPECT_EQ(sent[0].keyDown, -1);
    }
    // A modifier pressed alone is sent as itself.
    newRecords();
    QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(form->keyReceiver(), &shiftDown);
    const auto sent = newRecords();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].virtualKeyCode, 0x10);
    EXPECT_EQ(sent[0].controlKeyState & SHIFT_PRESSED, uint32_t(SHIFT_PRESSED));
}

TEST_F(Keys, EveryEventIsLogged)
{
    press(Qt::Key_A, Qt::ShiftModifier);
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(form->keyReceiver(), &ctrl);
    ASSERT_NE(form->keyLogWindow(), nullptr);
    EXPECT_EQ(form->keyLogWindow()->windowTitle(), "DebugForm");
    const QStringList log = keyLog();
    EXPECT_TRUE(log.contains("Down 0041 [S]"));
    EXPECT_TRUE(log.contains("Up 0041 [S]"));
    EXPECT_TRUE(log.contains("Down 0011 [C]"));
    // Closing the log window destroys it; the next key makes a new one.
    form->keyLogWindow()->close();
    EXPECT_TRUE(waitFor([&] { return form->keyLogWindow() == nullptr; }));
    press(Qt::Key_B);
    ASSERT_NE(form->keyLogWindow(), nullptr);
    EXPECT_EQ(keyLog().first(), "Down 0042 []");
}

TEST_F(Keys, SetWidthMakesTheConsole120Wide)
{
    press(Qt::Key_A);
    QAction* w120 = nullptr;
    for (QAction* a : form->keyLogWindow()->findChildren<QAction*>())
        if (a->text() == "120")
            w120 = a;
    ASSERT_NE(w120, nullptr);
    w120->trigger();
    EXPECT_TRUE(waitFor([&] { return form->consoleView()->Cols() == 120; }));
    EXPECT_EQ(form->consoleView()->Rows(), 25);
}

TEST_F(Keys, WithASelectionKeysOnlyClearIt)
{
    ConsoleView* d = form->consoleView();
    QTest::mousePress(d, Qt::LeftButton, {}, QPoint(2, 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(5 * d->CellWidth(), 2 * d->CellHeight()),
                     d->mapToGlobal(QPointF(5 * d->CellWidth(), 2 * d->CellHeight())), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(d, &move);
    QTest::mouseRelease(d, Qt::LeftButton, {}, QPoint(5 * d->CellWidth(), 2 * d->CellHeight()));
    ASSERT_TRUE(d->HasSelection());
    form->updateActions();
    EXPECT_FALSE(form->action(ActionId::aPaste)->isEnabled());
    newRecords();
    press(Qt::Key_X);
    EXPECT_TRUE(newRecords().empty());
    EXPECT_FALSE(d->HasSelection());
    press(Qt::Key_X);
    EXPECT_EQ(newRecords().size(), 1u);
    form->updateActions();
    EXPECT_TRUE(form->action(ActionId::aPaste)->isEnabled());
}

TEST_F(Keys, PasteSendsTabAsTheKeyAndLineBreaksAsOneEnter)
{
    QGuiApplication::clipboard()->setText("a\tb\r\nc");
    newRecords();
    form->action(ActionId::aPaste)->trigger();
    const auto sent = newRecords();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0].unicodeChar, 'a');
    EXPECT_EQ(sent[1].virtualKeyCode, 0x09);  // the Tab key
    EXPECT_EQ(sent[2].unicodeChar, 'b');
    EXPECT_EQ(sent[3].unicodeChar, '\r');  // the carriage return; the line feed is skipped
    EXPECT_EQ(sent[4].unicodeChar, 'c');
}

TEST_F(Keys, PasteIsPacedFiftyMillisecondsAKey)
{
    QElapsedTimer t;
    t.start();
    form->PasteText("0123456789");
    EXPECT_GE(t.elapsed(), 450);
    EXPECT_EQ(newRecords().size(), 10u);
}
