// The action list: creation from the table, the tool bar, and the handlers that belong to
// the main window itself.
#include "MainWindow.h"

#include "desktop/DockSite.h"
#include "desktop/ErrorBox.h"
#include "KeyReceiver.h"
#include "desktop/ToolImages.h"
#include "AboutBox.h"
#include "RunDialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QProcess>
#include <QToolBar>

namespace qp {

void MainWindow::createActions()
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
void MainWindow::connectActions()
{
    auto bind = [this](ActionId id, void (MainWindow::*handler)()) {
        connect(action(id), &QAction::triggered, this, [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception& e) {
                ShowStandardError(this, e);
            }
            updateActions();
        });
    };
    bind(ActionId::aNewWindow, &MainWindow::aNewWindowExecute);
    bind(ActionId::aCopy, &MainWindow::aCopyExecute);
    bind(ActionId::aPaste, &MainWindow::aPasteExecute);
    bind(ActionId::aPlay, &MainWindow::aPlayExecute);
    bind(ActionId::aRecord, &MainWindow::aRecordExecute);
    bind(ActionId::aStop, &MainWindow::aStopExecute);
    bind(ActionId::aShowConsole, &MainWindow::aShowConsoleExecute);
    bind(ActionId::aFont, &MainWindow::aFontExecute);
    bind(ActionId::aRun, &MainWindow::aRunExecute);
    bind(ActionId::aCheckText, &MainWindow::aCheckTextExecute);
    bind(ActionId::aShowScript, &MainWindow::aShowScriptExecute);
    bind(ActionId::aScreenShot, &MainWindow::aScreenShotExecute);
    bind(ActionId::aOpenScript, &MainWindow::aOpenScriptExecute);
    bind(ActionId::aSaveScript, &MainWindow::aSaveScriptExecute);
    bind(ActionId::aAbout, &MainWindow::aAboutExecute);
    bind(ActionId::aCheckWindow, &MainWindow::aCheckWindowExecute);
}

void MainWindow::updateActions()
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

void MainWindow::aRunExecute()
{
    QString command;
    if (ShowRunDialog(this, command))
        RunInConsole(command.toStdString());
    m_keyReceiver->setFocus();
}

void MainWindow::aNewWindowExecute()
{
    // The new instance is independent; a failure to start it is not reported.
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
}

void MainWindow::aAboutExecute() { ShowAbout(this); }

// There is no console window to show here (the action stays disabled); kept for the
// action's sake.
void MainWindow::aShowConsoleExecute() {}

void MainWindow::SetRecording(bool value)
{
    m_recording = value;
    RefreshTabImages();
}

void MainWindow::RefreshTabImages() { m_pages->RefreshTabImages(); }

int MainWindow::tabImageIndex(int tabIndex) const
{
    if (m_pages->widget(tabIndex) == m_consolePage)
        return -1;
    if (m_recording)
        return kImageRecording;
    if (m_lastScriptRunning)
        return kImagePlaying;
    return kImageIdle;
}

}  // namespace qp
