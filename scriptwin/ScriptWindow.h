#pragma once
// ScriptWindow, the script window: a tool bar with the script commands (actions of the main
// window, shared by both tool bars) over the script editor. Opening and saving
// script files live here; a save goes to a temporary file that then replaces the old one,
// so a failed save leaves the old file as it was.

#include "desktop/DockableWindow.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QToolBar;

namespace qp {

class ScriptEditor;

// The file filter of both dialogs.
inline constexpr const char* kScriptFilter = "*.vbs (*.vbs);;*.* (*)";

class ScriptWindow : public DockableWindow {
    Q_OBJECT
public:
    // The tool bar's actions, left to right; nullptr stands for a separator.
    explicit ScriptWindow(const std::vector<QAction*>& toolActions, QWidget* parent = nullptr);

    ScriptEditor* editor() const { return m_editor; }
    QToolBar* toolBar() const { return m_toolBar; }

    // The whole text replaced by the file's lines; throws "Cannot open file %s" and leaves
    // the text as it was when the file cannot be read.
    void LoadScript(const QString& fileName);
    // The lines written with CR LF after each; throws "Cannot create file %s" when the file
    // cannot be written, and the file that was there stays.
    void SaveScript(const QString& fileName);

    // The dialogs: Open replaces the text with the chosen file; Save proposes the name last
    // opened and adds the default extension to a name typed without one.
    void openScriptDialog();
    void saveScriptDialog();
    // The name last chosen in the open dialog.
    QString openFileName() const { return m_openFileName; }
    void setOpenFileName(const QString& name) { m_openFileName = name; }

    // The file name a save goes to for a name typed in the save dialog.
    static QString SaveFileName(const QString& typed);

private:
    QToolBar* m_toolBar = nullptr;
    ScriptEditor* m_editor = nullptr;
    QString m_openFileName;
};

}  // namespace qp
