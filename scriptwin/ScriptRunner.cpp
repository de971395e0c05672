#include "ScriptRunner.h"

#include "ConsoleSession.h"
#include "ErrorBox.h"
#include "TExecuteThread.h"
#include "ZEBConsole.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace qp {

namespace {

// The buttons of each box, left to right, as the values MsgBox returns.
constexpr int kBoxButtons[6][3] = {
    {1, 0, 0},  // OK
    {1, 2, 0},  // OK Cancel
    {3, 4, 5},  // Abort Retry Ignore
    {6, 7, 2},  // Yes No Cancel
    {6, 7, 0},  // Yes No
    {4, 2, 0},  // Retry Cancel
};
constexpr const char* kButtonTexts[8] = {"", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&Yes", "&No"};

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

int showMsgBox(QWidget* parent, std::u16string_view text, int buttons, std::u16string_view title)
{
    const int kind = (buttons & 0xF) < 6 ? buttons & 0xF : 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (buttons & 0x70) {
    case 16: icon = QMessageBox::Critical; break;
    case 32: icon = QMessageBox::Question; break;
    case 48: icon = QMessageBox::Warning; break;
    case 64: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, title.empty() ? ApplicationTitle() : qs(title), qs(text), QMessageBox::NoButton, parent);
    QPushButton* made[3] = {};
    for (int i = 0; i < 3 && kBoxButtons[kind][i]; ++i)
        made[i] = box.addButton(QString::fromLatin1(kButtonTexts[kBoxButtons[kind][i]]), QMessageBox::AcceptRole);
    const int defaultIndex = (buttons >> 8) & 0x3;
    if (defaultIndex < 3 && made[defaultIndex])
        box.setDefaultButton(made[defaultIndex]);
    box.exec();
    for (int i = 0; i < 3; ++i)
        if (made[i] && box.clickedButton() == made[i])
            return kBoxButtons[kind][i];
    // Closed without a button: Cancel when the box has one, else its first button.
    for (int i = 0; i < 3; ++i)
        if (kBoxButtons[kind][i] == 2)
            return 2;
    return kBoxButtons[kind][0];
}

}  // namespace

int MsgBoxButtonValue(int buttons, int index)
{
    const int kind = (buttons & 0xF) < 6 ? buttons & 0xF : 0;
    return index >= 0 && index < 3 && kBoxButtons[kind][index] ? kBoxButtons[kind][index] : kBoxButtons[kind][0];
}

TScriptRunner::TScriptRunner(HostedConsole& console, QWidget* boxParent)
    : m_session(std::make_shared<ConsoleSession>(console)), m_boxParent(boxParent)
{
    m_session->setConsoleObject(ZEBConsole::create(m_session));
    m_session->setErrorBox([this](const std::string& message) {
        onGuiThread([&] { ShowStandardError(m_boxParent, QString::fromStdString(message)); return 0; }, 0);
    });
    VBScript1.setNamedItems({u"Console"});
    VBScript1.setOnGetNamedItem([session = std::weak_ptr<ConsoleSession>(m_session)](const std::u16string& name,
                                                                                  vbs::ObjectRef& obj) {
        if (name != u"Console")
            return;
        if (auto s = session.lock())
            obj = s->consoleObject();
    });
    installBoxes();
}

// Runs f on the GUI thread and waits for it; while the window closes, answers fallback
// without showing anything.
template <typename F>
auto TScriptRunner::onGuiThread(F&& f, decltype(f()) fallback) -> decltype(f())
{
    using R = decltype(f());
    if (m_closing.load())
        return fallback;
    if (QThread::currentThread() == thread())
        return f();
    R result = fallback;
    QMetaObject::invokeMethod(
        this, [&] { result = m_closing.load() ? fallback : f(); }, Qt::BlockingQueuedConnection);
    return result;
}

void TScriptRunner::installBoxes()
{
    VBScript1.setErrorBox([this](const std::u16string& message, const std::u16string& caption) {
        onGuiThread(
            [&] {
                QMessageBox box(QMessageBox::NoIcon, qs(caption), qs(message), QMessageBox::Ok, m_boxParent);
                box.exec();
                return 0;
            },
            0);
    });
    VBScript1.setMsgBox([this](std::u16string_view text, int buttons, std::u16string_view title) {
        return onGuiThread([&] { return showMsgBox(m_boxParent, text, buttons, title); },
                           MsgBoxButtonValue(buttons, 0));
    });
    VBScript1.setInputBox([this](std::u16string_view prompt, std::u16string_view title,
                                 std::u16string_view defaultText) {
        return onGuiThread(
            [&] {
                bool ok = false;
                const QString text = QInputDialog::getText(m_boxParent, title.empty() ? ApplicationTitle() : qs(title),
                                                           qs(prompt), QLineEdit::Normal, qs(defaultText), &ok);
                return vbs::Variant::fromString(ok ? text.toStdU16String() : std::u16string());
            },
            vbs::Variant::fromString(std::u16string()));
    });
}

TScriptRunner::~TScriptRunner()
{
    // The run ends at its next statement and its waits are cut short; boxes it asks for
    // meanwhile are answered without being shown.
    m_closing.store(true);
    if (m_thread) {
        VBScript1.Interrupt();
        m_session->stopWaiting();
        while (m_thread && !m_thread->wait(10))
            QCoreApplication::processEvents();
        delete m_thread.data();
    }
    m_session->clearConsoleObject();
}

bool TScriptRunner::busy() const { return !m_thread.isNull(); }

bool TScriptRunner::StartScriptThread(std::vector<std::u16string> lines)
{
    if (m_thread || ScriptRunning())
        return false;
    auto* worker = new TExecuteThread(
        VBScript1, std::move(lines),
        [this](const std::string& message) {
            onGuiThread([&] { ShowStandardError(m_boxParent, QString::fromStdString(message)); return 0; }, 0);
        },
        this);
    m_thread = worker;
    connect(worker, &QThread::finished, this, [this, worker] {
        if (m_thread == worker)
            m_thread = nullptr;
        worker->deleteLater();
        emit runFinished();
    });
    worker->start();
    return true;
}

}  // namespace qp
