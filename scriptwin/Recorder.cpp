#include "Recorder.h"

#include "display/CheckText.h"

namespace qp {

namespace {
constexpr std::string_view kCrLf = "\r\n";

void selectRange(ScriptEditing& editor, int start, size_t length)
{
    editor.SetSelStart(start);
    editor.SetSelEnd(start + int(length));
}
}  // namespace

void RecordKeys(ScriptEditing& editor, bool combination, const std::string& keyText)
{
    const std::string_view command = combination ? kPutControlCommand : kPutKeysCommand;
    const std::string key = QuoteForScript(keyText);
    if (editor.SelectedText().size() > kRecordMergeLimit) {
        editor.CollapseToEnd();
        editor.InsertScriptText(std::string(kCrLf));
    }
    const std::string sel = editor.SelectedText();
    int start = editor.SelStart();
    std::string line;
    if (sel.rfind(command, 0) == 0) {
        line = sel.back() == '"' ? sel.substr(0, sel.size() - 1) : sel;
        line += key;
        line += '"';
    } else {
        if (!sel.empty()) {
            editor.CollapseToEnd();
            editor.InsertScriptText(std::string(kCrLf));
            start = editor.SelStart();
        }
        line = std::string(command) + " \"" + key + "\"";
    }
    editor.InsertScriptText(line);
    selectRange(editor, start, line.size());
}

void RecordWindowCheck(ScriptEditing& editor, WindowTrace& trace, const CellRect& found)
{
    const std::optional<CellRect> changed = trace.traceStep(found);
    if (!changed)
        return;
    editor.CollapseToEnd();
    editor.InsertScriptText(std::string(kCrLf));
    editor.CollapseToEnd();
    editor.InsertScriptText(WindowCheckStatement(*changed));
    editor.CollapseToEnd();
}

void InsertCheckText(ScriptEditing& editor, const CellRect& rect, const std::string& text)
{
    const std::string statement = CheckTextStatement(rect, text);
    if (!editor.SelectedText().empty()) {
        editor.CollapseToEnd();
        editor.InsertScriptText(std::string(kCrLf));
    }
    const int p = editor.SelStart();
    editor.InsertScriptText(statement);
    selectRange(editor, p, statement.size());
}

}  // namespace qp
