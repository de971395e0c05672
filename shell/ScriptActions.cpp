// The actions of the script window, the recorder, the copy formats and the checks. The
// script window plugs in here; until it exists its actions stay disabled and the state is
// the idle one (Stop shown pressed, nothing recording, nothing playing).
#include "TForm1.h"

#include <QAction>

namespace qp {

namespace {
void setState(QAction* a, bool enabled, bool checked)
{
    a->setEnabled(enabled);
    if (a->isCheckable())
        a->setChecked(checked);
}
}  // namespace

// Not the engine's idle state until a script host exists: nothing plays.
bool TForm1::ScriptRunning()
{
    const bool running = false;
    if (running != m_lastScriptRunning) {
        m_lastScriptRunning = running;
        RefreshTabImages();
    }
    return running;
}

// Appends a key to the script being recorded; the script window's editor takes it.
void TForm1::RecordKeys(bool /*combination*/, const std::string& /*text*/) {}

void TForm1::aCopyExecute() {}
void TForm1::aCopyUpdate() { action(ActionId::aCopy)->setEnabled(false); }
void TForm1::aScreenShotExecute() {}

void TForm1::aPlayExecute() {}
void TForm1::aPlayUpdate() { setState(action(ActionId::aPlay), false, ScriptRunning()); }

void TForm1::sbRecordClick() { SetRecording(true); }
void TForm1::aRecordUpdate() { setState(action(ActionId::aRecord), false, m_recording); }

void TForm1::aStopExecute()
{
    if (ScriptRunning())
        return;
    if (m_recording)
        SetRecording(false);
}
void TForm1::aStopUpdate()
{
    const bool busy = m_recording || ScriptRunning();
    setState(action(ActionId::aStop), busy, !busy);
}

void TForm1::aShowScriptExecute() {}
void TForm1::aShowScriptUpdate() { setState(action(ActionId::aShowScript), false, false); }

void TForm1::aOpenScriptExecute() {}
void TForm1::aSaveScriptExecute() {}
void TForm1::SpeedButton1Click() {}

void TForm1::aCheckWindowExecute() {}
void TForm1::aCheckWindowUpdate()
{
    setState(action(ActionId::aCheckWindow), false, false);
    for (ActionId id : {ActionId::aScreenShot, ActionId::aOpenScript, ActionId::aSaveScript, ActionId::aCheckText})
        action(id)->setEnabled(false);
}

}  // namespace qp
