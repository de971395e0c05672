#include "DisplayFont.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace qp {

FontSpec DesignDisplayFont()
{
    FontSpec spec;
    spec.name = "Courier New";
    spec.size = 10;
    return spec;
}

static void applyStyle(QFont& font, const FontSpec& spec)
{
    if (spec.size > 0)
        font.setPointSize(spec.size);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
}

QFont ToDisplayFont(const FontSpec& spec)
{
    QFont font(QString::fromStdString(spec.name));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    applyStyle(font, spec);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    applyStyle(fixed, spec);
    return fixed;
}

FontSpec ToFontSpec(const QFont& font)
{
    FontSpec spec;
    spec.name = font.family().toStdString();
    spec.size = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    spec.bold = font.bold();
    spec.italic = font.italic();
    spec.underline = font.underline();
    spec.strikeOut = font.strikeOut();
    return spec;
}

}  // namespace qp
