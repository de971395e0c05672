#include "VbsLexer.h"

#include "VbsHighlight.h"

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>

namespace qp {

namespace {
constexpr const char* kStyleNames[kVbsStyleCount] = {
    "Default", "Number", "Key word", "Function", "Property", "Method", "Object", "Constant", "Remark", "String",
};
}

QColor ColorFromBgr(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

VbsLexer::VbsLexer(QObject* parent) : QsciLexerCustom(parent)
{
    for (int s = 0; s < kVbsStyleCount; ++s) {
        setColor(defaultColor(s), s);
        setPaper(defaultPaper(s), s);
        setFont(defaultFont(s), s);
    }
}

QString VbsLexer::description(int style) const
{
    return style >= 0 && style < kVbsStyleCount ? QString::fromLatin1(kStyleNames[style]) : QString();
}

QColor VbsLexer::defaultColor(int style) const
{
    return ColorFromBgr(style >= 0 && style < kVbsStyleCount ? kVbsStyleColors[size_t(style)] : 0);
}

QColor VbsLexer::defaultPaper(int) const { return ColorFromBgr(kVbsBackground); }

QFont VbsLexer::defaultFont(int) const
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSizeF(11.25);  // 15 pixels at 96 dots per inch; the editor sizes fonts in points
    return f;
}

const char* VbsLexer::wordCharacters() const
{
    return "_0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
}

// Positions are byte offsets into the document. Styling starts at the beginning of the
// line holding start, in the state the line before ended in; when the last line's end
// state changes, the lines after it are styled too.
void VbsLexer::styleText(int start, int end)
{
    QsciScintilla* ed = editor();
    if (!ed)
        return;
    const long length = ed->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    int firstLine = int(ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, long(start)));
    int lastLine = int(ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, long(end)));
    const int lineCount = int(ed->SendScintilla(QsciScintilla::SCI_GETLINECOUNT));
    VbsLineState state = firstLine > 0
        ? VbsLineState(ed->SendScintilla(QsciScintilla::SCI_GETLINESTATE, long(firstLine - 1)))
        : VbsLineState::Root;
    std::vector<VbsStyle> styles;
    for (int line = firstLine; line < lineCount; ++line) {
        const long from = ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, long(line));
        const long to = line + 1 < lineCount ? ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, long(line + 1))
                                              : length;
        QByteArray bytes(int(to - from), '\0');
        if (to > from)
            ed->SendScintilla(QsciScintilla::SCI_GETTEXTRANGE, from, to, bytes.data());
        state = StyleVbsText(std::string_view(bytes.constData(), size_t(bytes.size())), state, styles);
        startStyling(int(from));
        size_t i = 0;
        while (i < styles.size()) {
            size_t j = i;
            while (j < styles.size() && styles[j] == styles[i])
                ++j;
            setStyling(int(j - i), int(styles[i]));
            i = j;
        }
        const auto previous = VbsLineState(ed->SendScintilla(QsciScintilla::SCI_GETLINESTATE, long(line)));
        ed->SendScintilla(QsciScintilla::SCI_SETLINESTATE, long(line), long(state));
        if (line >= lastLine && previous == state)
            break;
    }
}

}  // namespace qp
