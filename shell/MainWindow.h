#pragma once
// MainWindow: the main window. It owns the hosted console, mirrors its screen in the display
// every 100 ms, forwards the user's keys into it, and holds the shared action list, the
// tool bar and the dock sites for the script window.

#include "ActionTable.h"
#include "display/FrameDetect.h"
#include "console/HostedConsole.h"
#include "keys/KeyPacer.h"
#include "ShiftState.h"

#include <QPointer>

#include <functional>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QAction;
class QFont;
class QKeyEvent;
class QScrollArea;
class QTimer;
class QToolBar;

namespace qp {

class KeyLogWindow;
class ConsoleView;
class DockPages;
class DockPanel;
class KeyReceiver;
class ScriptWindow;
class ScriptRunner;
class PanelSplitter;

struct MainWindowOptions {
    ConsoleOptions console;
    // Repaint the display at every tick even when nothing changed (benchmark baseline).
    bool repaintEveryTick = false;
    // Started by the bus to serve automation clients: the window makes no console object of
    // its own; the one a client creates becomes the process's console object.
    bool automationStart = false;
};

class ConsoleSession;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowOptions options = {});
    ~MainWindow() override;

    // --- the hosted console -------------------------------------------------------------
    // ProcessCommandLine: the program's own arguments (without the program itself).
    void ProcessCommandLine(const QStringList& arguments);
    // RunInConsole: false when the command could not be started (after the "Can't
    // execute " box) or there is no console.
    bool RunInConsole(const std::string& command);
    bool IsProgramActive();
    void KillProgram();
    void UpdateCaption();
    HostedConsole* console() const { return m_console.get(); }
    KeyPacer& pacer() { return m_pacer; }
    // The console as the automation objects see it; holds ConsoleObject.
    std::shared_ptr<ConsoleSession> session() const { return m_session; }
    // Asked after the quit confirmation: false keeps the program running.
    void setTerminateConfirmation(std::function<bool(QWidget*)> confirm) { m_confirmTerminate = std::move(confirm); }

    // --- refresh ---------------------------------------------------------------------------
    void refreshScreen();  // the refresh timer, every 100 ms
    void TakeSnapshot();  // caption, snapshot, display; repaints only what changed

    // --- the display --------------------------------------------------------------------------
    void consoleViewClicked();
    void fitWindowToConsole();
    void setDisplayFont(const QFont& font);

    // --- keys ---------------------------------------------------------------------------------
    void consoleKeyDown(uint16_t& key, ShiftState shift);
    void consoleKeyUp(uint16_t& key, ShiftState shift);
    void consoleKeyPress(char& key);
    void LogKeyEvent(const std::string& kind, uint16_t key, ShiftState shift);
    KeyLogWindow* keyLogWindow() const;
    void aPasteExecute();
    void aPasteUpdate();
    // The paste of a given text (aPasteExecute with the clipboard's text).
    void PasteText(const QString& text);

    // --- actions ------------------------------------------------------------------------------
    QAction* action(ActionId id) const { return m_actions[static_cast<size_t>(id)]; }
    void updateActions();  // the update handlers, run at every tick and after each action
    void aRunExecute();
    void aNewWindowExecute();
    void aAboutExecute();
    void aFontExecute();
    void aShowConsoleExecute();

    // --- recording and the script window (filled in by the script window) ----------------
    bool Recording() const { return m_recording; }
    void SetRecording(bool value);
    bool ScriptRunning();
    void RefreshTabImages();
    void RecordKeys(bool combination, const std::string& text);
    void aCopyExecute();
    void aCopyUpdate();
    void aScreenShotExecute();
    void aPlayExecute();
    void aPlayUpdate();
    void aRecordExecute();
    void aRecordUpdate();
    void aStopExecute();
    void aStopUpdate();
    void aShowScriptExecute();
    void aShowScriptUpdate();
    void aOpenScriptExecute();
    void aSaveScriptExecute();
    void aCheckTextExecute();
    void aCheckWindowExecute();
    void aCheckWindowUpdate();
    void PlayScript();
    void StartScriptThread();
    void RecordWindowCheck();
    void InsertCheckText(const CellRect& rect, const std::string& text);
    ScriptWindow* scriptWindow() const;
    ScriptRunner* scriptRunner() const { return m_scriptRunner.get(); }
    WindowTrace& windowTrace() { return m_windowTrace; }

    // --- layout -------------------------------------------------------------------------------
    int tabImageIndex(int tabIndex) const;
    void consolePageShown();
    void consolePageHidden();

    KeyReceiver* keyReceiver() const { return m_keyReceiver; }
    ConsoleView* consoleView() const { return m_display; }
    QScrollArea* consoleScrollBox() const { return m_scrollBox; }
    DockPages* pages() const { return m_pages; }
    QWidget* consolePage() const { return m_consolePage; }
    QToolBar* consoleToolBar() const { return m_toolBar; }
    DockPanel* bottomPanel() const { return m_bottomPanel; }
    DockPanel* rightPanel() const { return m_rightPanel; }
    DockPanel* leftPanel() const { return m_leftPanel; }
    PanelSplitter* bottomSplitter() const { return m_bottomSplitter; }
    QTimer* refreshTimer() const { return m_timer; }

protected:
    void closeEvent(QCloseEvent* event) override;  // the quit confirmation

private:
    class Listener;
    void createWindow();
    void CreateHostedConsole();
    void CreateConsoleSession();
    void createLayout();
    void createActions();
    void connectActions();
    void applyProfileFont(const FontSpec& font);
    void keyDownEvent(QKeyEvent* event);
    void keyUpEvent(QKeyEvent* event);
    void forwardKey(uint16_t key, ShiftState shift);
    void createScriptWindow();

    MainWindowOptions m_options;
    std::unique_ptr<Listener> m_listener;
    std::unique_ptr<HostedConsole> m_console;
    std::shared_ptr<ConsoleSession> m_session;  // after the console: goes before it
    std::function<bool(QWidget*)> m_confirmTerminate;
    KeyPacer m_pacer;
    bool m_recording = false;
    bool m_pasting = false;
    bool m_closed = false;
    bool m_lastScriptRunning = false;
    QString m_caption;

    std::array<QAction*, kActionCount> m_actions{};
    PanelSplitter* m_bottomSplitter = nullptr;
    PanelSplitter* m_rightSplitter = nullptr;
    PanelSplitter* m_leftSplitter = nullptr;
    KeyReceiver* m_keyReceiver = nullptr;
    DockPanel* m_bottomPanel = nullptr;
    DockPanel* m_rightPanel = nullptr;
    DockPanel* m_leftPanel = nullptr;
    DockPages* m_pages = nullptr;
    QWidget* m_consolePage = nullptr;
    QToolBar* m_toolBar = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    ConsoleView* m_display = nullptr;
    QTimer* m_timer = nullptr;
    QPointer<KeyLogWindow> m_keyLogWindow;

    // The script window and its runs.
    QPointer<ScriptWindow> m_scriptWindow;
    std::unique_ptr<ScriptRunner> m_scriptRunner;
    bool m_scriptFirstShow = true;
    WindowTrace m_windowTrace;
};

}  // namespace qp
