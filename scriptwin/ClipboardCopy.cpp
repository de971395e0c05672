#include "ClipboardCopy.h"

#include "console/Codepage.h"
#include "console/HostedConsole.h"
#include "display/ScreenText.h"
#include "display/widget/ConsoleView.h"

#include <QClipboard>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QPainter>

#include <stdexcept>

namespace qp {

QList<QRgb> SixteenColorPalette()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QImage ScreenShotImage(const ConsoleView& display)
{
    const QRect r = display.SelectionPixelRect();
    const QSize size(std::max(r.width(), 1), std::max(r.height(), 1));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        display.PaintTo(painter, QRect(QPoint(0, 0), size));
    }
    return image.convertToFormat(QImage::Format_Indexed8, SixteenColorPalette(), Qt::ThresholdDither);
}

RtfFont RtfFontOf(const ConsoleView& display)
{
    const QFontInfo info(display.font());
    RtfFont font;
    font.name = info.family().toStdString();
    font.charset = 255;  // the display shows the console's OEM character set
    font.points = info.pointSize() > 0 ? info.pointSize() : 8;
    font.bold = info.bold();
    font.italic = info.italic();
    return font;
}

QMimeData* MakeCopyData(HostedConsole& console, const CellRect& rect, const RtfFont& font, const QImage& bitmap)
{
    const std::u16string wide = ReadRectTextWide(console, rect, u"\r\n");
    const std::string oem = ReadRectTextAnsi(console, rect, "\r\n");
    const SnapshotPtr snapshot = console.takeSnapshot();
    const std::string rtf = BuildRtfDocument(*snapshot, rect, font);

    auto* data = new QMimeData;
    if (!oem.empty()) {
        data->setData(QString::fromLatin1(kMimeOemText), QByteArray(oem.data(), qsizetype(oem.size())));
        const std::string ansi = OemToAnsi(oem);
        data->setData(QString::fromLatin1(kMimeAnsiText), QByteArray(ansi.data(), qsizetype(ansi.size())));
    }
    if (!wide.empty())
        data->setText(QString::fromStdU16String(wide));
    const QByteArray rtfBytes(rtf.data(), qsizetype(rtf.size()));
    data->setData(QString::fromLatin1(kMimeRtf), rtfBytes);
    data->setData(QString::fromLatin1(kMimeRtfApplication), rtfBytes);
    data->setData(QString::fromLatin1(kMimeLocale), QLocale::system().name().toUtf8());
    data->setImageData(bitmap);
    return data;
}

void PlaceOnClipboard(QMimeData* data)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        delete data;
        throw std::runtime_error("Cannot open clipboard");
    }
    const QStringList formats = data->formats();
    clipboard->setMimeData(data);
    const QMimeData* placed = clipboard->mimeData();
    if (!placed || (!formats.isEmpty() && !placed->hasFormat(formats.first())))
        throw std::runtime_error("Cannot open clipboard");
}

}  // namespace qp
