#pragma once
// The editor's colouring of scripts (the rules of VbsHighlight.h) as a QScintilla lexer.
// Strings run across line ends, so each line remembers whether it ends inside a string.

#include <Qsci/qscilexercustom.h>

namespace qp {

class VbsLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    explicit VbsLexer(QObject* parent = nullptr);

    const char* language() const override { return "VBScript"; }
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QColor defaultPaper(int style) const override;
    QFont defaultFont(int style) const override;
    void styleText(int start, int end) override;
    const char* wordCharacters() const override;
};

// A colour given as 0x00BBGGRR.
QColor ColorFromBgr(uint32_t bgr);

}  // namespace qp
