// The actions of the script window, the recorder, the copy formats and the checks: the
// script window, its editor and the script host plug in here.
#include "TForm1.h"

#include "ClipboardCopy.h"
#include "DockSite.h"
#include "Recorder.h"
#include "ScreenText.h"
#include "ScriptRunner.h"
#include "TDisplay.h"
#include "TScriptEditor.h"
#include "TScriptForm.h"

#include <QAction>
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
void TForm1::CreateScriptForm()
{
    const std::vector<QAction*> tools = {
        action(ActionId::aOpenScript), action(ActionId::aSaveScript), nullptr, action(ActionId::aCheckText), nullptr,
        action(ActionId::aRecord),     action(ActionId::aPlay),       action(ActionId::aStop), nullptr,
        action(ActionId::aCheckWindow),
    };
    m_scriptForm = new TScriptForm(tools);
    m_scriptForm->hide();
    if (m_console) {
        m_scriptRunner = std::make_unique<TScriptRunner>(*m_console, this);
        connect(m_scriptRunner.get(), &TScriptRunner::runFinished, this, [this] { updateActions(); });
    }
}

TScriptForm* TForm1::ScriptForm() const { return m_scriptForm.data(); }

// Not the engine's idle state: a script is being prepared or run.
bool TForm1::ScriptRunning()
{
    const bool running = m_scriptRunner && m_scriptRunner->ScriptRunning();
    if (running != m_lastScriptRunning) {
        m_lastScriptRunning = running;
        RefreshTabImages();
    }
    return running;
}

// --- recording ----------------------------------------------------------------------------------

void TForm1::RecordKeys(bool combination, const std::string& text)
{
    if (!m_scriptForm)
        return;
    if (m_windowTrace.TraceActiveWindow)
        RecordWindowCheck();
    qp::RecordKeys(*m_scriptForm->Memo2(), combination, text);
}

void TForm1::RecordWindowCheck()
{
    if (!m_scriptForm || !m_console)
        return;
    qp::RecordWindowCheck(*m_scriptForm->Memo2(), m_windowTrace, FindActiveWindow(*m_console));
}

void TForm1::aCheckWindowExecute() { m_windowTrace.toggle(); }

void TForm1::aCheckWindowUpdate()
{
    setState(action(ActionId::aCheckWindow), true, m_windowTrace.TraceActiveWindow);
    for (ActionId id : {ActionId::aScreenShot, ActionId::aOpenScript, ActionId::aSaveScript, ActionId::aCheckText})
        action(id)->setEnabled(true);
}

// --- checks ---------------------------------------------------------------------------------------

// aCheckText: the selection's text as the checks read it, turned into a check. Without a
// selection the check tests the cell of the last click.
void TForm1::SpeedButton1Click()
{
    if (!m_console)
        return;
    const CellRect rect = m_display->Selection();
    const std::u16string text = ReadRectText(*m_console, rect, kCheckSeparator);
    InsertCheckText(rect, QString::fromStdU16String(text).toStdString());
}

void TForm1::InsertCheckText(const CellRect& rect, const std::string& text)
{
    if (m_scriptForm)
        qp::InsertCheckText(*m_scriptForm->Memo2(), rect, text);
}

// --- copy formats ---------------------------------------------------------------------------------

void TForm1::aCopyExecute()
{
    if (!m_console)
        return;
    QMimeData* data =
        MakeCopyData(*m_console, m_display->Selection(), RtfFontOf(*m_display), ScreenShotImage(*m_display));
    PlaceOnClipboard(data);
    m_display->ClearSelection(false);
}

void TForm1::aCopyUpdate() { action(ActionId::aCopy)->setEnabled(m_display->HasSelection()); }

void TForm1::aScreenShotExecute()
{
    auto* data = new QMimeData;
    data->setImageData(ScreenShotImage(*m_display));
    PlaceOnClipboard(data);
}

// --- play, record, stop -------------------------------------------------------------------------

void TForm1::aPlayExecute() { PlayScript(); }

void TForm1::PlayScript()
{
    m_pages->tabBar()->update();
    if (ScriptRunning())
        return;
    StartScriptThread();
}

// The run gets a copy of the editor's lines: edits made while it plays do not reach it.
void TForm1::StartScriptThread()
{
    if (!m_scriptRunner || !m_scriptForm)
        return;
    std::vector<std::u16string> lines;
    for (const std::string& line : m_scriptForm->Memo2()->Lines())
        lines.push_back(QString::fromStdString(line).toStdU16String());
    m_scriptRunner->StartScriptThread(std::move(lines));
}

void TForm1::aPlayUpdate()
{
    const bool running = ScriptRunning();
    setState(action(ActionId::aPlay), !m_recording, running);
}

void TForm1::sbRecordClick() { SetRecording(true); }

void TForm1::aRecordUpdate() { setState(action(ActionId::aRecord), !ScriptRunning(), m_recording); }

void TForm1::aStopExecute()
{
    if (ScriptRunning())
        m_scriptRunner->Interrupt();
    else if (m_recording)
        SetRecording(false);
}

void TForm1::aStopUpdate()
{
    const bool busy = m_recording || ScriptRunning();
    setState(action(ActionId::aStop), busy, !busy);
}

// --- the script window ----------------------------------------------------------------------------

namespace {
// A window docked as a page is shown and hidden with its tab.
void showScriptWindow(TDockPages* pages, TScriptForm* form, bool visible)
{
    const int index = pages->indexOf(form);
    if (index >= 0)
        pages->setTabVisible(index, visible);
    form->setVisible(visible);
}
bool scriptWindowVisible(TDockPages* pages, TScriptForm* form)
{
    const int index = pages->indexOf(form);
    if (index >= 0)
        return pages->isTabVisible(index);
    return form->isVisible();
}
}  // namespace

void TForm1::aShowScriptExecute()
{
    if (!m_scriptForm)
        return;
    // The action's own toggle has inverted Checked already.
    const bool visible = action(ActionId::aShowScript)->isChecked();
    showScriptWindow(m_pages, m_scriptForm, visible);
    if (!visible)
        return;
    if (m_scriptFirstShow) {
        m_scriptFirstShow = false;
        m_scriptForm->dockInto(m_pages);
    }
    m_scriptForm->show();
    m_scriptForm->raise();
    const int index = m_pages->indexOf(m_scriptForm);
    if (index >= 0 && m_pages->count() > 1)
        m_pages->setCurrentIndex(1);
}

void TForm1::aShowScriptUpdate()
{
    setState(action(ActionId::aShowScript), true, m_scriptForm && scriptWindowVisible(m_pages, m_scriptForm));
}

void TForm1::aOpenScriptExecute()
{
    if (m_scriptForm)
        m_scriptForm->OpenScriptDlg();
}

void TForm1::aSaveScriptExecute()
{
    if (m_scriptForm)
        m_scriptForm->SaveScriptDlg();
}

}  // namespace qp
