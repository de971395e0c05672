#pragma once
// The editing operations through which the recorder and the check generator write into a
// script. Offsets count from the start of the text, each line break counting two (CR LF);
// texts are UTF-8 and offsets count their bytes.

#include <algorithm>
#include <string>

namespace qp {

class ScriptEditing {
public:
    virtual ~ScriptEditing() = default;
    // The selected text; empty when nothing is selected.
    virtual std::string SelectedText() const = 0;
    // Replaces the selection (or inserts at the caret) as one undo step; the caret ends
    // after the text.
    virtual void InsertScriptText(const std::string& text) = 0;
    virtual int SelStart() const = 0;
    virtual int SelEnd() const = 0;
    // Moves the caret to offset and leaves nothing selected.
    virtual void SetSelStart(int offset) = 0;
    // Selects from the start to offset.
    virtual void SetSelEnd(int offset) = 0;

    // Leaves the caret at the selection's end with nothing selected.
    void CollapseToEnd() { SetSelStart(SelEnd()); }
};

// A script held as plain text: the editing operations without an editor widget.
class TextScriptEditing final : public ScriptEditing {
public:
    explicit TextScriptEditing(std::string text = {}) : m_text(std::move(text)), m_start(int(m_text.size())), m_end(m_start) {}
    std::string SelectedText() const override { return m_text.substr(size_t(m_start), size_t(m_end - m_start)); }
    void InsertScriptText(const std::string& text) override
    {
        m_text.replace(size_t(m_start), size_t(m_end - m_start), text);
        m_start = m_end = m_start + int(text.size());
    }
    int SelStart() const override { return m_start; }
    int SelEnd() const override { return m_end; }
    void SetSelStart(int offset) override { m_start = m_end = clamp(offset); }
    void SetSelEnd(int offset) override { m_end = std::max(m_start, clamp(offset)); }
    const std::string& text() const { return m_text; }

private:
    int clamp(int offset) const { return offset < 0 ? 0 : std::min(offset, int(m_text.size())); }
    std::string m_text;
    int m_start;
    int m_end;
};

}  // namespace qp
