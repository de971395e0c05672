#include "ScriptRunner.h"

#include "script/ConsoleSession.h"
#include "desktop/ErrorBox.h"
#include "ScriptThread.h"
#include "script/ZEBConsole.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace qp {

namespace {

constexpr const char* kButtonTexts[8] = {"", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&Yes", "&No"};

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

int showMsgBox(QWidget* parent, std::u16string_view text, int buttons, std::u16string_view title)
{
    const int* row = MsgBoxButtonRow(buttons);
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
    for (int i = 0; i < 3 && row[i]; ++i)
        made[i] = box.addButton(QString::fromLatin1(kButtonTexts[row[i]]), QMessageBox::AcceptRole);
    const int defaultIndex = (buttons >> 8) & 0x3;
    if (defaultIndex < 3 && made[defaultIndex])
        box.setDefaultButton(made[defaultIndex]);
    box.exec();
    for (int i = 0; i < 3; ++i)
        if (made[i] && box.clickedButton() == made[i])
            return row[i];
    // Closed without a button: Cancel when the box has one, else its first button.
    for (int i = 0; i < 3; ++i)
        if (row[i] == 2)
            return 2;
    return row[0];
}

}  // namespace

ScriptRunner::ScriptRunner(HostedConsole& console, QWidget* boxParent)
    : m_session(std::make_shared<ConsoleSession>(console)), m_boxParent(boxParent)
{
    m_session->setConsoleObject(ZEBConsole::create(m_session));
    m_session->setErrorBox([this](const std::string& message) {
        onGuiThread([&] { ShowStandardError(m_boxParent, QString::fromStdString(message)); return 0; }, 0);
    });
    m_scriptHost.setNamedItems({u"Console"});
    m_scriptHost.setOnGetNamedItem([session = std::weak_ptr<ConsoleSession>(m_session)](const std::u16string& name,
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
auto ScriptRunner::onGuiThread(F&& f, decltype(f()) fallback) -> decltype(f())
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

void ScriptRunner::installBoxes()
{
    m_scriptHost.setErrorBox([this](const std::u16string& message, const std::u16string& caption) {
        onGuiThread(
            [&] {
                QMessageBox box(QMessageBox::NoIcon, qs(caption), qs(message), QMessageBox::Ok, m_boxParent);
                box.exec();
                return 0;
            },
            0);
    });
    m_scriptHost.setMsgBox([this](std::u16string_view text, int buttons, std::u16string_view title) {
        return onGuiThread([&] { return showMsgBox(m_boxParent, text, buttons, title); },
                           MsgBoxButtonValue(buttons, 0));
    });
    m_scriptHost.setInputBox([this](std::u16string_view prompt, std::u16string_view title,
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

ScriptRunner::~ScriptRunner()
{
    // The run ends at its next statement and its waits are cut short; boxes it asks for
    // meanwhile are answered without being shown.
    m_closing.store(true);
    if (m_thread) {
        m_scriptHost.Interrupt();
        m_session->stopWaiting();
        while (m_thread && !m_thread->wait(10))
            QCoreApplication::processEvents();
        delete m_thread.data();
    }
    m_session->clearConsoleObject();
}

bool ScriptRunner::busy() const { return !m_thread.isNull(); }

bool ScriptRunner::StartScriptThread(std::vector<std::u16string> lines)
{
    if (m_thread || ScriptRunning())
        return false;
    auto* worker = new ScriptThread(
        m_scriptHost, std::move(lines),
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
