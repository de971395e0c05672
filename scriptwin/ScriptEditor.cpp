#include "ScriptEditor.h"

#include "ScriptText.h"
#include "VbsLexer.h"

#include <QKeyEvent>

namespace qp {

namespace {
constexpr int kBookmarkMarkerBase = 10;  // markers 10-19 hold bookmarks 0-9
}

ScriptEditor::ScriptEditor(QWidget* parent) : QsciScintilla(parent)
{
    m_bookmarks.fill(-1);
    setOptions();
}

void ScriptEditor::setOptions()
{
    setUtf8(true);
    setEolMode(EolWindows);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1L);

    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(11.25);  // 15 pixels at 96 dots per inch
    setFont(font);
    m_lexer = new VbsLexer(this);
    m_lexer->setDefaultFont(font);
    setLexer(m_lexer);

    // The gutter: line numbers, at least three digits, widening as the script grows.
    QFont gutter(QStringLiteral("Terminal"));
    gutter.setStyleHint(QFont::TypeWriter);
    gutter.setPointSizeF(9.75);  // 13 pixels
    setMarginsFont(gutter);
    setMarginType(0, NumberMargin);
    setMarginLineNumbers(0, true);
    updateGutterWidth();
    connect(this, &QsciScintilla::linesChanged, this, &ScriptEditor::updateGutterWidth);
    for (int n = 0; n < 10; ++n)
        markerDefine(QsciScintilla::Bookmark, kBookmarkMarkerBase + n);
    setMarginWidth(1, 14);  // the bookmarks

    setAutoIndent(true);                         // a new line indented like the one before
    setIndentationsUseTabs(false);               // tabs stored as spaces
    setTabIndents(true);                         // Tab in leading blanks goes to the next level
    setBackspaceUnindents(true);                 // Backspace there goes back a level
    setTabWidth(8);
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, long(SCVS_USERACCESSIBLE));  // the caret may pass the line end
    SendScintilla(SCI_SETSCROLLWIDTH, 1L);        // scroll bars only when needed
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1L);
    setBraceMatching(SloppyBraceMatch);
}

void ScriptEditor::updateGutterWidth()
{
    const int digits = std::max(3, int(QString::number(lines()).size()));
    setMarginWidth(0, QString(digits + 1, QLatin1Char('0')));
}

// --- the editing operations ---------------------------------------------------------------------

std::string ScriptEditor::SelectedText() const
{
    const long from = SendScintilla(SCI_GETSELECTIONSTART);
    const long to = SendScintilla(SCI_GETSELECTIONEND);
    if (to <= from)
        return {};
    std::string bytes(size_t(to - from), '\0');
    SendScintilla(SCI_GETTEXTRANGE, from, to, bytes.data());
    return bytes;
}

void ScriptEditor::InsertScriptText(const std::string& text)
{
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_REPLACESEL, text.c_str());
    SendScintilla(SCI_ENDUNDOACTION);
}

int ScriptEditor::SelStart() const { return int(SendScintilla(SCI_GETSELECTIONSTART)); }
int ScriptEditor::SelEnd() const { return int(SendScintilla(SCI_GETSELECTIONEND)); }

void ScriptEditor::SetSelStart(int offset) { SendScintilla(SCI_GOTOPOS, long(std::max(offset, 0))); }

void ScriptEditor::SetSelEnd(int offset)
{
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    SendScintilla(SCI_SETSEL, start, long(std::max<long>(offset, start)));
}

std::vector<std::string> ScriptEditor::Lines() const
{
    const long length = SendScintilla(SCI_GETLENGTH);
    std::string bytes(size_t(length), '\0');
    if (length > 0)
        SendScintilla(SCI_GETTEXTRANGE, 0L, length, bytes.data());
    return SplitScriptLines(bytes);
}

void ScriptEditor::setLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += "\r\n";
        text += lines[i];
    }
    SendScintilla(SCI_SETTEXT, text.c_str());
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

int ScriptEditor::styleAt(int offset)
{
    SendScintilla(SCI_COLOURISE, 0L, -1L);
    return int(SendScintilla(SCI_GETSTYLEAT, long(offset)));
}

// --- key bindings -------------------------------------------------------------------------------

void ScriptEditor::keyPressEvent(QKeyEvent* event)
{
    if (runBinding(event)) {
        event->accept();
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

// The bindings that differ from the component's own; the rest (arrows, paging, Home/End
// with Shift and Ctrl, clipboard keys, Insert, Delete, Backspace, Ctrl+Backspace,
// Alt+Backspace, Ctrl+Z, Ctrl+A, Tab, Shift+Tab) are its defaults.
bool ScriptEditor::runBinding(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = event->key();
    const bool ctrl = mods == Qt::ControlModifier;
    const bool shiftCtrl = mods == (Qt::ShiftModifier | Qt::ControlModifier);
    const bool shiftAlt = mods == (Qt::ShiftModifier | Qt::AltModifier);

    // Digits by their key, whatever Shift makes of them on the keyboard's layout.
    int digit = -1;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        digit = key - Qt::Key_0;
    else if (shiftCtrl && event->nativeVirtualKey() >= '0' && event->nativeVirtualKey() <= '9')
        digit = int(event->nativeVirtualKey()) - '0';
    if (ctrl && digit >= 0) {
        gotoBookmark(digit);
        return true;
    }
    if (shiftCtrl && digit >= 0) {
        setBookmark(digit);
        return true;
    }
    if ((shiftAlt && key == Qt::Key_Backspace) || (shiftCtrl && key == Qt::Key_Z)) {
        redo();
        return true;
    }
    if (ctrl) {
        switch (key) {
        case Qt::Key_Y: SendScintilla(SCI_LINEDELETE); return true;
        case Qt::Key_T: SendScintilla(SCI_DELWORDRIGHT); return true;
        case Qt::Key_N: insertEmptyLine(); return true;
        case Qt::Key_M: SendScintilla(SCI_NEWLINE); return true;
        case Qt::Key_F1:
            if (onContextHelp)
                onContextHelp();
            return true;
        case Qt::Key_PageUp: SendScintilla(SCI_STUTTEREDPAGEUP); return true;
        case Qt::Key_PageDown: SendScintilla(SCI_STUTTEREDPAGEDOWN); return true;
        default: break;
        }
    }
    if (shiftCtrl) {
        switch (key) {
        case Qt::Key_Y: SendScintilla(SCI_DELLINERIGHT); return true;
        case Qt::Key_I: indentSelection(true); return true;
        case Qt::Key_U: indentSelection(false); return true;
        case Qt::Key_N: SendScintilla(SCI_SETSELECTIONMODE, long(SC_SEL_STREAM)); return true;
        case Qt::Key_C: SendScintilla(SCI_SETSELECTIONMODE, long(SC_SEL_RECTANGLE)); return true;
        case Qt::Key_L: SendScintilla(SCI_SETSELECTIONMODE, long(SC_SEL_LINES)); return true;
        case Qt::Key_B: gotoMatchingBracket(); return true;
        case Qt::Key_PageUp: SendScintilla(SCI_STUTTEREDPAGEUPEXTEND); return true;
        case Qt::Key_PageDown: SendScintilla(SCI_STUTTEREDPAGEDOWNEXTEND); return true;
        default: break;
        }
    }
    if (mods == Qt::ShiftModifier && key == Qt::Key_Return) {
        SendScintilla(SCI_NEWLINE);
        return true;
    }
    return false;
}

void ScriptEditor::indentSelection(bool in)
{
    int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
    getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
    if (lineFrom < 0) {
        int index = 0;
        getCursorPosition(&lineFrom, &index);
        lineTo = lineFrom;
    } else if (indexTo == 0 && lineTo > lineFrom) {
        --lineTo;  // a selection ending at a line's start leaves that line alone
    }
    beginUndoAction();
    for (int line = lineFrom; line <= lineTo; ++line) {
        if (in)
            indent(line);
        else
            unindent(line);
    }
    endUndoAction();
}

void ScriptEditor::insertEmptyLine()
{
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    SendScintilla(SCI_INSERTTEXT, pos, "\r\n");
    SendScintilla(SCI_GOTOPOS, pos);
}

void ScriptEditor::setBookmark(int n)
{
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    if (m_bookmarks[size_t(n)] >= 0)
        markerDeleteHandle(m_bookmarks[size_t(n)]);
    m_bookmarks[size_t(n)] = markerAdd(line, kBookmarkMarkerBase + n);
}

void ScriptEditor::gotoBookmark(int n)
{
    if (m_bookmarks[size_t(n)] < 0)
        return;
    const int line = markerLine(m_bookmarks[size_t(n)]);
    if (line >= 0)
        setCursorPosition(line, 0);
}

void ScriptEditor::gotoMatchingBracket()
{
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    long match = SendScintilla(SCI_BRACEMATCH, pos, 0L);
    if (match < 0 && pos > 0)
        match = SendScintilla(SCI_BRACEMATCH, pos - 1, 0L);
    if (match >= 0)
        SendScintilla(SCI_GOTOPOS, match);
}

}  // namespace qp
