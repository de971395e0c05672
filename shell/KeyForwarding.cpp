// The user's keys on the console page: logged, checked against the display's selection,
// classified as a typed character or a key combination, recorded while recording, sent
// into the console, and the screen refreshed at once.
#include "MainWindow.h"

#include "KeyLogWindow.h"
#include "desktop/ErrorBox.h"
#include "KeyBridge.h"
#include "KeyReceiver.h"
#include "keys/KeySender.h"
#include "QtKeyMap.h"
#include "display/widget/ConsoleView.h"
#include "keys/VirtualKeys.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace qp {

void MainWindow::keyDownEvent(QKeyEvent* event)
{
    const MappedKey mapped = MapKeyEvent(*event, true);
    uint16_t key = mapped.vkey;
    try {
        consoleKeyDown(key, mapped.shift);
    } catch (const std::exception& e) {
        ShowStandardError(this, e);
    }
    char none = 0;
    consoleKeyPress(none);
}

void MainWindow::keyUpEvent(QKeyEvent* event)
{
    // The platform repeats presses only; an auto-repeat release is not a release.
    if (event->isAutoRepeat())
        return;
    const MappedKey mapped = MapKeyEvent(*event, false);
    uint16_t key = mapped.vkey;
    consoleKeyUp(key, mapped.shift);
}

void MainWindow::consoleKeyDown(uint16_t& key, ShiftState shift)
{
    LogKeyEvent("Down", key, shift);
    if (m_display->HasSelection()) {
        // Enter copies the selection; any key clears it. Nothing reaches the console.
        if (key == VK_RETURN)
            action(ActionId::aCopy)->trigger();
        m_display->ClearSelection(false);
        return;
    }
    forwardKey(key, shift);
    TakeSnapshot();
    key = 0;
}

void MainWindow::forwardKey(uint16_t key, ShiftState shift)
{
    const uint16_t scan = keybridge::ScanCodeForVKey(key);
    const char16_t ch = keybridge::TranslateKeyChar(key, scan, shift);
    const ShiftState held = shift;
    const bool typed = ch >= 0x20 && (held == 0 || held == ssShift);
    if (!m_console)
        return;
    KeySender sender(*m_console, m_pacer);
    if (typed) {
        const std::string text = QString(QChar(ch)).toStdString();
        if (m_recording)
            RecordKeys(false, text);
        sender.SendChar(ch);
        return;
    }
    const std::string prefix = ModifierPrefix(shift);
    std::string combination;
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) {
        combination = prefix;  // the modifier key names itself
    } else {
        combination = prefix;
        if (!combination.empty())
            combination += '+';
        combination += keybridge::KeyNameText(scan);
    }
    combination = keybridge::CanonicalKeyText(combination);
    if (m_recording)
        RecordKeys(true, "<" + combination + ">");
    sender.SendKeyCombo(combination);
}

void MainWindow::consoleKeyUp(uint16_t& key, ShiftState shift)
{
    LogKeyEvent("Up", key, shift);
    TakeSnapshot();
    key = 0;
}

// The receiver's text never changes: every character is taken away here.
void MainWindow::consoleKeyPress(char& key) { key = 0; }

KeyLogWindow* MainWindow::keyLogWindow() const { return m_keyLogWindow.data(); }

void MainWindow::LogKeyEvent(const std::string& kind, uint16_t key, ShiftState shift)
{
    if (!m_keyLogWindow) {
        m_keyLogWindow = new KeyLogWindow([this](int columns) {
            if (m_console)
                m_console->setConsoleWidth(int16_t(columns));
        });
        m_keyLogWindow->show();
    }
    m_keyLogWindow->appendLine(QString::fromStdString(KeyLogLine(kind, key, shift)));
}

// --- paste ------------------------------------------------------------------------------------

void MainWindow::aPasteExecute() { PasteText(QGuiApplication::clipboard()->text()); }

void MainWindow::aPasteUpdate() { action(ActionId::aPaste)->setEnabled(!m_display->HasSelection() && !m_pasting); }

// One key per character, paced; events are handled between keys, so the screen keeps
// refreshing during a long paste. Nothing is recorded.
void MainWindow::PasteText(const QString& text)
{
    if (!m_console || m_pasting)
        return;
    m_pasting = true;
    aPasteUpdate();
    struct Reset {
        MainWindow* form;
        ~Reset() { form->m_pasting = false; }
    } reset{this};
    KeySender sender(*m_console, m_pacer);
    const std::u32string characters = text.toStdU32String();
    for (char32_t c : characters) {
        sender.PaceKeys();
        QCoreApplication::processEvents();
        if (!m_console || m_closed)
            return;
        if (c == U'\t')
            sender.SendKeyCombo("Tab");
        else if (c != U'\n')
            sender.SendChar(c);
    }
}

}  // namespace qp
