#include "DisplayFont.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace qp {

FontSpec DesignDisplayFont()
{
    FontSpec fontSpec;
    fontSpec.name = "Courier New";
    fontSpec.size = 10;
    return fontSpec;
}

static void applyStyle(QFont& font, const FontSpec& fontSpec)
{
    if (fontSpec.size > 0)
        font.setPointSize(fontSpec.size);
    font.setBold(fontSpec.bold);
    font.setItalic(fontSpec.italic);
    font.setUnderline(fontSpec.underline);
    font.setStrikeOut(fontSpec.strikeOut);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
}

QFont ToDisplayFont(const FontSpec& fontSpec)
{
    QFont font(QString::fromStdString(fontSpec.name));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    applyStyle(font, fontSpec);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    applyStyle(fixed, fontSpec);
    return fixed;
}

FontSpec ToFontSpec(const QFont& font)
{
    FontSpec fontSpec;
    fontSpec.name = font.family().toStdString();
    fontSpec.size = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    fontSpec.bold = font.bold();
    fontSpec.italic = font.italic();
    fontSpec.underline = font.underline();
    fontSpec.strikeOut = font.strikeOut();
    return fontSpec;
}

}  // namespace qp
