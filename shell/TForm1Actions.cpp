// The action list: creation from the table, the tool bar, and the handlers that belong to
// the main window itself.
#include "TForm1.h"

#include "DockSite.h"
#include "ErrorBox.h"
#include "KeyReceiver.h"
#include "ToolImages.h"
#include "uAbout.h"
#include "uRunCommand.h"

#include <QAction>
#include <QCoreApplication>
#include <QProcess>
#include <QToolBar>

namespace qp {

void TForm1::createActions()
{
    for (const ActionSpec& entry : kActionTable) {
        auto* a = new QAction(ToolImage(entry.image), QString::fromUtf8(entry.caption.data(), qsizetype(entry.caption.size())), this);
        a->setObjectName(QString::fromLatin1(entry.name.data(), qsizetype(entry.name.size())));
        const QString hint = QString::fromUtf8(entry.hint.data(), qsizetype(entry.hint.size()));
        a->setToolTip(hint);
        a->setStatusTip(hint);
        m_actions[static_cast<size_t>(entry.id)] = a;
    }
    // The console has no window of its own here: Show Console stays disabled.
    QAction* showConsole = action(ActionId::aShowConsole);
    showConsole->setCheckable(true);
    showConsole->setEnabled(false);
    showConsole->setToolTip(QString::fromUtf8(kShowConsoleDisabledHint.data(), qsizetype(kShowConsoleDisabledHint.size())));
    for (ActionId id : {ActionId::aPlay, ActionId::aRecord, ActionId::aStop, ActionId::aShowScript, ActionId::aCheckWindow})
        action(id)->setCheckable(true);
    action(ActionId::aStop)->setChecked(true);

    const ActionId toolBar[] = {ActionId::aNewWindow, ActionId::aRun, ActionId::aCopy, ActionId::aScreenShot,
                                ActionId::aPaste, ActionId::aShowConsole, ActionId::aShowScript, ActionId::aFont,
                                ActionId::aAbout};
    for (ActionId id : toolBar) {
        m_toolBar->addAction(action(id));
        // Separators after Run, Paste, Show Script and Font.
        if (id == ActionId::aRun || id == ActionId::aPaste || id == ActionId::aShowScript || id == ActionId::aFont)
            m_toolBar->addSeparator();
    }
}

// Every handler runs behind the application's standard error box.
void TForm1::connectActions()
{
    auto bind = [this](ActionId id, void (TForm1::*handler)()) {
        connect(action(id), &QAction::triggered, this, [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception& e) {
                ShowStandardError(this, e);
            }
            updateActions();
        });
    };
    bind(ActionId::aNewWindow, &TForm1::aNewWindowExecute);
    bind(ActionId::aCopy, &TForm1::aCopyExecute);
    bind(ActionId::aPaste, &TForm1::aPasteExecute);
    bind(ActionId::aPlay, &TForm1::aPlayExecute);
    bind(ActionId::aRecord, &TForm1::sbRecordClick);
    bind(ActionId::aStop, &TForm1::aStopExecute);
    bind(ActionId::aShowConsole, &TForm1::aShowConsoleExecute);
    bind(ActionId::aFont, &TForm1::aFontExecute);
    bind(ActionId::aRun, &TForm1::bRunClick);
    bind(ActionId::aCheckText, &TForm1::SpeedButton1Click);
    bind(ActionId::aShowScript, &TForm1::aShowScriptExecute);
    bind(ActionId::aScreenShot, &TForm1::aScreenShotExecute);
    bind(ActionId::aOpenScript, &TForm1::aOpenScriptExecute);
    bind(ActionId::aSaveScript, &TForm1::aSaveScriptExecute);
    bind(ActionId::aAbout, &TForm1::aAboutExecute);
    bind(ActionId::aCheckWindow, &TForm1::aCheckWindowExecute);
}

void TForm1::updateActions()
{
    aCopyUpdate();
    aPasteUpdate();
    aPlayUpdate();
    aRecordUpdate();
    aStopUpdate();
    aShowScriptUpdate();
    aCheckWindowUpdate();
    ScriptRunning();  // refreshes the tab images when the state changed
}

void TForm1::bRunClick()
{
    QString command;
    if (ShowRunDialog(this, command))
        RunInConsole(command.toStdString());
    m_keyReceiver->setFocus();
}

void TForm1::aNewWindowExecute()
{
    // The new instance is independent; a failure to start it is not reported.
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
}

void TForm1::aAboutExecute() { ShowAbout(this); }

// There is no console window to show here (the action stays disabled); kept for the
// action's sake.
void TForm1::aShowConsoleExecute() {}

void TForm1::SetRecording(bool value)
{
    m_recording = value;
    RefreshTabImages();
}

void TForm1::RefreshTabImages() { m_pages->RefreshTabImages(); }

int TForm1::PageControl1GetImageIndex(int tabIndex) const
{
    if (m_pages->widget(tabIndex) == m_tabSheet1)
        return -1;
    if (m_recording)
        return kImageRecording;
    if (m_lastScriptRunning)
        return kImagePlaying;
    return kImageIdle;
}

}  // namespace qp
