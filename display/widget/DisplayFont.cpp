#include "DisplayFont.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace qp {

QString ChooseFixedFamily(const QString& wanted, const QStringList& fixedFamilies, const QString& systemFixed)
{
    for (const QString& family : fixedFamilies)
        if (family.compare(wanted, Qt::CaseInsensitive) == 0)
            return family;
    return systemFixed;
}

namespace {

QStringList fixedFamilies()
{
    QStringList fixed;
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family))
            fixed << family;
    return fixed;
}

// The family the system's fixed-pitch font really is (it may be named by an alias such as
// "monospace"); a proportional answer gives way to the first installed fixed-pitch family.
QString systemFixedFamily(const QStringList& fixed)
{
    const QString family = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    if (fixed.contains(family) || fixed.isEmpty())
        return family;
    return fixed.front();
}

}  // namespace

QString InstalledFixedFamily(const QString& wanted)
{
    const QStringList fixed = fixedFamilies();
    return ChooseFixedFamily(wanted, fixed, systemFixedFamily(fixed));
}

FontSpec DesignDisplayFont()
{
    FontSpec fontSpec;
    fontSpec.name = InstalledFixedFamily(QStringLiteral("Courier New")).toStdString();
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
    QFont font(InstalledFixedFamily(QString::fromStdString(fontSpec.name)));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    applyStyle(font, fontSpec);
    return font;
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
