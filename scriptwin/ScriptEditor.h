#pragma once
// The script editor: QScintilla with the line-number gutter, the script colouring,
// the editing options and key bindings of the script window, and the editing operations
// the recorder and the check generator write through. The document keeps CR LF line
// breaks, so its byte offsets are the offsets those operations count in.

#include "ScriptEditing.h"

#include <Qsci/qsciscintilla.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace qp {

class VbsLexer;

class ScriptEditor : public QsciScintilla, public ScriptEditing {
    Q_OBJECT
public:
    explicit ScriptEditor(QWidget* parent = nullptr);

    // --- the editing operations ---------------------------------------------------------------
    std::string SelectedText() const override;
    void InsertScriptText(const std::string& text) override;
    int SelStart() const override;
    int SelEnd() const override;
    void SetSelStart(int offset) override;
    void SetSelEnd(int offset) override;

    // The text as lines (UTF-8), and replacing the whole text with lines.
    std::vector<std::string> Lines() const;
    void setLines(const std::vector<std::string>& lines);

    VbsLexer* highlighter() const { return m_lexer; }
    // The style of the byte at offset after colouring the whole text.
    int styleAt(int offset);

    // Ctrl+F1 (context help).
    std::function<void()> onContextHelp;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setOptions();
    void updateGutterWidth();
    bool runBinding(QKeyEvent* event);
    void indentSelection(bool in);
    void insertEmptyLine();
    void gotoBookmark(int n);
    void setBookmark(int n);
    void gotoMatchingBracket();

    VbsLexer* m_lexer = nullptr;
    std::array<int, 10> m_bookmarks{};  // marker handles, -1 when unset
};

}  // namespace qp
