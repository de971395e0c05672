// The actions of the script window, the recorder, the copy formats and the checks: the
// script window, its editor and the script host plug in here.
#include "MainWindow.h"

#include "scriptwin/ClipboardCopy.h"
#include "desktop/DockSite.h"
#include "scriptwin/Recorder.h"
#include "display/ScreenText.h"
#include "scriptwin/ScriptRunner.h"
#include "display/widget/ConsoleView.h"
#include "scriptwin/ScriptEditor.h"
#include "scriptwin/ScriptWindow.h"
#include "script/ConsoleSession.h"
#include "script/GoldenScreen.h"

#include <QAction>
#include <QFile>
#include <QMimeData>
#include <QTabBar>

namespace qp {

namespace {
void setState(QAction* a, bool enabled, bool checked)
{
    a->setEnabled(enabled);
    if (a->isCheckable())
        a->setChecked(checked);
}
}  // namespace

// Created hidden at start-up; docked as the page control's second page when first shown.
void MainWindow::createScriptWindow()
{
    const std::vector<QAction*> tools = {
        action(ActionId::aOpenScript), action(ActionId::aSaveScript), nullptr, action(ActionId::aCheckText), nullptr,
        action(ActionId::aRecord),     action(ActionId::aPlay),       action(ActionId::aStop), nullptr,
        action(ActionId::aCheckWindow),
    };
    m_scriptWindow = new ScriptWindow(tools);
    m_scriptWindow->hide();
    // The console page keeps showing the whole screen whatever docks where.
    connect(m_scriptWindow, &DockableWindow::dockingChanged, this, &MainWindow::fitWindowToConsole, Qt::QueuedConnection);
    if (m_console) {
        m_scriptRunner = std::make_unique<ScriptRunner>(*m_console, this);
        connect(m_scriptRunner.get(), &ScriptRunner::runFinished, this, [this] { updateActions(); });
    }
}

ScriptWindow* MainWindow::scriptWindow() const { return m_scriptWindow.data(); }

// Not the engine's idle state: a script is being prepared or run.
bool MainWindow::ScriptRunning()
{
    const bool running = m_scriptRunner && m_scriptRunner->ScriptRunning();
    if (running != m_lastScriptRunning) {
        m_lastScriptRunning = running;
        RefreshTabImages();
    }
    return running;
}

// --- recording ----------------------------------------------------------------------------------

void MainWindow::RecordKeys(bool combination, const std::string& text)
{
    if (!m_scriptWindow)
        return;
    if (m_windowTrace.TraceActiveWindow)
        RecordWindowCheck();
    qp::RecordKeys(*m_scriptWindow->editor(), combination, text);
}

void MainWindow::RecordWindowCheck()
{
    if (!m_scriptWindow || !m_console)
        return;
    qp::RecordWindowCheck(*m_scriptWindow->editor(), m_windowTrace, FindActiveWindow(*m_console));
}

void MainWindow::aCheckWindowExecute() { m_windowTrace.toggle(); }

void MainWindow::aCheckWindowUpdate()
{
    setState(action(ActionId::aCheckWindow), true, m_windowTrace.TraceActiveWindow);
    for (ActionId id : {ActionId::aScreenShot, ActionId::aOpenScript, ActionId::aSaveScript, ActionId::aCheckText})
        action(id)->setEnabled(true);
}

// --- checks ---------------------------------------------------------------------------------------

// aCheckText: the selection's text as the checks read it, turned into a check. Without a
// selection the check tests the cell of the last click.
void MainWindow::aCheckTextExecute()
{
    if (!m_console)
        return;
    const CellRect rect = m_display->Selection();
    const std::u16string text = ReadRectText(*m_console, rect, kCheckSeparator);
    InsertCheckText(rect, QString::fromStdU16String(text).toStdString());
}

void MainWindow::InsertCheckText(const CellRect& rect, const std::string& text)
{
    if (m_scriptWindow)
        qp::InsertCheckText(*m_scriptWindow->editor(), rect, text);
}

// --- copy formats ---------------------------------------------------------------------------------

void MainWindow::aCopyExecute()
{
    if (!m_console)
        return;
    QMimeData* data =
        MakeCopyData(*m_console, m_display->Selection(), RtfFontOf(*m_display), ScreenShotImage(*m_display));
    PlaceOnClipboard(data);
    m_display->ClearSelection(false);
}

void MainWindow::aCopyUpdate() { action(ActionId::aCopy)->setEnabled(m_display->HasSelection()); }

void MainWindow::aScreenShotExecute()
{
    auto* data = new QMimeData;
    data->setImageData(ScreenShotImage(*m_display));
    PlaceOnClipboard(data);
}

// --- play, record, stop -------------------------------------------------------------------------

void MainWindow::aPlayExecute() { PlayScript(); }

void MainWindow::PlayScript()
{
    m_pages->tabBar()->update();
    if (ScriptRunning())
        return;
    StartScriptThread();
}

// The run gets a copy of the editor's lines: edits made while it plays do not reach it.
void MainWindow::StartScriptThread()
{
    if (!m_scriptRunner || !m_scriptWindow)
        return;
    std::vector<std::u16string> lines;
    for (const std::string& line : m_scriptWindow->editor()->Lines())
        lines.push_back(QString::fromStdString(line).toStdU16String());
    // MatchScreen compares with the golden screens of the script file last opened; the
    // desktop never writes them (the player's --update-golden does).
    const QString file = m_scriptWindow->openFileName();
    m_scriptRunner->session().setGoldenScreens(
        {file.isEmpty() ? std::string() : GoldenFolderOf(QFile::encodeName(file).toStdString()), false, {}});
    m_scriptRunner->StartScriptThread(std::move(lines));
}

void MainWindow::aPlayUpdate()
{
    const bool running = ScriptRunning();
    setState(action(ActionId::aPlay), !m_recording, running);
}

void MainWindow::aRecordExecute() { SetRecording(true); }

void MainWindow::aRecordUpdate() { setState(action(ActionId::aRecord), !ScriptRunning(), m_recording); }

void MainWindow::aStopExecute()
{
    if (ScriptRunning())
        m_scriptRunner->Interrupt();
    else if (m_recording)
        SetRecording(false);
}

void MainWindow::aStopUpdate()
{
    const bool busy = m_recording || ScriptRunning();
    setState(action(ActionId::aStop), busy, !busy);
}

// --- the script window ----------------------------------------------------------------------------

namespace {
// A window docked as a page is shown and hidden with its tab.
void showScriptWindow(DockPages* pages, ScriptWindow* form, bool visible)
{
    const int index = pages->indexOf(form);
    if (index >= 0)
        pages->setTabVisible(index, visible);
    form->setVisible(visible);
}
bool scriptWindowVisible(DockPages* pages, ScriptWindow* form)
{
    const int index = pages->indexOf(form);
    if (index >= 0)
        return pages->isTabVisible(index);
    return form->isVisible();
}
}  // namespace

void MainWindow::aShowScriptExecute()
{
    if (!m_scriptWindow)
        return;
    // The action's own toggle has inverted Checked already.
    const bool visible = action(ActionId::aShowScript)->isChecked();
    // Docked before it is first shown: it never appears as a window of its own first.
    if (visible && m_scriptFirstShow) {
        m_scriptFirstShow = false;
        m_scriptWindow->dockInto(m_pages);
    }
    showScriptWindow(m_pages, m_scriptWindow, visible);
    if (!visible)
        return;
    m_scriptWindow->show();
    m_scriptWindow->raise();
    if (QWidget* frame = m_scriptWindow->floatingFrame()) {
        frame->raise();
        frame->activateWindow();
    }
    const int index = m_pages->indexOf(m_scriptWindow);
    if (index >= 0 && m_pages->count() > 1)
        m_pages->setCurrentIndex(1);
}

void MainWindow::aShowScriptUpdate()
{
    setState(action(ActionId::aShowScript), true, m_scriptWindow && scriptWindowVisible(m_pages, m_scriptWindow));
}

void MainWindow::aOpenScriptExecute()
{
    if (m_scriptWindow)
        m_scriptWindow->openScriptDialog();
}

void MainWindow::aSaveScriptExecute()
{
    if (m_scriptWindow)
        m_scriptWindow->saveScriptDialog();
}

}  // namespace qp
