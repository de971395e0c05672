#pragma once
// TForm1: the main window. It owns the hosted console, mirrors its screen in the display
// every 100 ms, forwards the user's keys into it, and holds the shared action list, the
// tool bar and the dock sites for the script window.

#include "ActionTable.h"
#include "FrameDetect.h"
#include "HostedConsole.h"
#include "KeyPacer.h"
#include "ShiftState.h"

#include <QPointer>
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

class TDebugForm;
class TDisplay;
class TDockPages;
class TDockPanel;
class TKeyReceiver;
class TScriptForm;
class TScriptRunner;
class TSplitter;

struct MainWindowOptions {
    ConsoleOptions console;
    // Repaint the display at every tick even when nothing changed (benchmark baseline).
    bool repaintEveryTick = false;
};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(MainWindowOptions options = {});
    ~TForm1() override;  // FormDestroy

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

    // --- refresh ---------------------------------------------------------------------------
    void bReadClick();    // Timer1, every 100 ms
    void TakeSnapshot();  // caption, snapshot, display; repaints only what changed

    // --- the display --------------------------------------------------------------------------
    void Display1Click();
    void Display1Resize();
    void setDisplayFont(const QFont& font);

    // --- keys ---------------------------------------------------------------------------------
    void Memo1KeyDown(uint16_t& key, ShiftState shift);
    void Memo1KeyUp(uint16_t& key, ShiftState shift);
    void Memo1KeyPress(char& key);
    void LogKeyEvent(const std::string& kind, uint16_t key, ShiftState shift);
    TDebugForm* debugForm() const;
    void aPasteExecute();
    void aPasteUpdate();
    // The paste of a given text (aPasteExecute with the clipboard's text).
    void PasteText(const QString& text);

    // --- actions ------------------------------------------------------------------------------
    QAction* action(ActionId id) const { return m_actions[static_cast<size_t>(id)]; }
    void updateActions();  // the update handlers, run at every tick and after each action
    void bRunClick();
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
    void sbRecordClick();
    void aRecordUpdate();
    void aStopExecute();
    void aStopUpdate();
    void aShowScriptExecute();
    void aShowScriptUpdate();
    void aOpenScriptExecute();
    void aSaveScriptExecute();
    void SpeedButton1Click();  // aCheckText
    void aCheckWindowExecute();
    void aCheckWindowUpdate();
    void PlayScript();
    void StartScriptThread();
    void RecordWindowCheck();
    void InsertCheckText(const CellRect& rect, const std::string& text);
    TScriptForm* ScriptForm() const;
    TScriptRunner* scriptRunner() const { return m_scriptRunner.get(); }
    WindowTrace& windowTrace() { return m_windowTrace; }

    // --- layout -------------------------------------------------------------------------------
    int PageControl1GetImageIndex(int tabIndex) const;
    void TabSheet1Show();
    void TabSheet1Hide();

    TKeyReceiver* KeyReceiver() const { return m_keyReceiver; }
    TDisplay* Display1() const { return m_display; }
    QScrollArea* ScrollBox1() const { return m_scrollBox; }
    TDockPages* PageControl1() const { return m_pages; }
    QWidget* TabSheet1() const { return m_tabSheet1; }
    QToolBar* ToolBar2() const { return m_toolBar; }
    TDockPanel* ScriptPanel() const { return m_scriptPanel; }
    TDockPanel* Panel1() const { return m_panel1; }
    TDockPanel* Panel2() const { return m_panel2; }
    TSplitter* Splitter1() const { return m_splitter1; }
    QTimer* Timer1() const { return m_timer; }

protected:
    void closeEvent(QCloseEvent* event) override;  // FormCloseQuery

private:
    class Listener;
    void FormCreate();
    void CreateHostedConsole();
    void createLayout();
    void createActions();
    void connectActions();
    void applyProfileFont(const FontSpec& font);
    void keyDownEvent(QKeyEvent* event);
    void keyUpEvent(QKeyEvent* event);
    void forwardKey(uint16_t key, ShiftState shift);
    void CreateScriptForm();

    MainWindowOptions m_options;
    std::unique_ptr<Listener> m_listener;
    std::unique_ptr<HostedConsole> m_console;
    KeyPacer m_pacer;
    bool m_recording = false;
    bool m_pasting = false;
    bool m_closed = false;
    bool m_lastScriptRunning = false;
    QString m_caption;

    std::array<QAction*, kActionCount> m_actions{};
    TSplitter* m_splitter1 = nullptr;
    TSplitter* m_splitter2 = nullptr;
    TSplitter* m_splitter3 = nullptr;
    TKeyReceiver* m_keyReceiver = nullptr;
    TDockPanel* m_scriptPanel = nullptr;
    TDockPanel* m_panel1 = nullptr;
    TDockPanel* m_panel2 = nullptr;
    TDockPages* m_pages = nullptr;
    QWidget* m_tabSheet1 = nullptr;
    QToolBar* m_toolBar = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    TDisplay* m_display = nullptr;
    QTimer* m_timer = nullptr;
    QPointer<TDebugForm> m_debugForm;

    // The script window and its runs.
    QPointer<TScriptForm> m_scriptForm;
    std::unique_ptr<TScriptRunner> m_scriptRunner;
    bool m_scriptFirstShow = true;
    WindowTrace m_windowTrace;
};

}  // namespace qp
