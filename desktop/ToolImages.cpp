#include "ToolImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace qp {

namespace {

struct ImageEntry {
    int index;
    const char* themeName;
    void (*draw)(QPainter&);
};

// Every picture is drawn on a 16 x 16 grid and scaled.
void drawPage(QPainter& p, QRectF r, const QColor& fill = Qt::white)
{
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(fill);
    p.drawRect(r);
}

void drawLines(QPainter& p, qreal x, qreal y, int count, qreal width)
{
    p.setPen(QPen(QColor(90, 90, 160), 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x, y + i * 2.5), QPointF(x + width, y + i * 2.5));
}

void drawPlay(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 160, 40));
    p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5)}));
}
void drawStop(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 90));
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
}
void drawRecord(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 30, 30));
    p.drawEllipse(QRectF(3, 3, 10, 10));
}
void drawCopy(QPainter& p)
{
    drawPage(p, QRectF(1.5, 1.5, 8, 10));
    drawPage(p, QRectF(6.5, 4.5, 8, 10));
    drawLines(p, 8.5, 7.5, 3, 4);
}
void drawPaste(QPainter& p)
{
    drawPage(p, QRectF(2.5, 2.5, 11, 12.5), QColor(200, 160, 100));
    drawPage(p, QRectF(5.5, 1.5, 5, 3), QColor(160, 160, 160));
    drawPage(p, QRectF(5.5, 6.5, 7, 8));
    drawLines(p, 7, 9, 2, 4);
}
void drawNewWindow(QPainter& p)
{
    drawPage(p, QRectF(1.5, 3.5, 11, 9));
    p.fillRect(QRectF(2, 4, 10, 2), QColor(60, 90, 170));
    p.setPen(QPen(QColor(30, 140, 30), 2));
    p.drawLine(QPointF(13, 0.5), QPointF(13, 6.5));
    p.drawLine(QPointF(10, 3.5), QPointF(16, 3.5));
}
void drawConsole(QPainter& p)
{
    drawPage(p, QRectF(1.5, 2.5, 13, 11), QColor(20, 20, 20));
    p.setPen(QPen(QColor(220, 220, 220), 1.2));
    p.drawPolyline(QPolygonF({QPointF(4, 6), QPointF(6.5, 8), QPointF(4, 10)}));
    p.drawLine(QPointF(8, 10.5), QPointF(12, 10.5));
}
void drawFont(QPainter& p)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
}
void drawRun(QPainter& p)
{
    p.setPen(QPen(QColor(40, 110, 190), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(2.5, 8), QPointF(12, 8));
    p.drawPolyline(QPolygonF({QPointF(8.5, 4), QPointF(12.5, 8), QPointF(8.5, 12)}));
}
void drawCheckText(QPainter& p)
{
    drawPage(p, QRectF(1.5, 1.5, 10, 13));
    drawLines(p, 3.5, 4.5, 3, 6);
    p.setPen(QPen(QColor(30, 150, 30), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(7.5, 11), QPointF(10, 13.5), QPointF(15, 7.5)}));
}
void drawScript(QPainter& p)
{
    drawPage(p, QRectF(2.5, 1.5, 11, 13));
    drawLines(p, 4.5, 4.5, 4, 7);
}
void drawScreenShot(QPainter& p)
{
    drawPage(p, QRectF(1.5, 2.5, 13, 9), QColor(0, 0, 143));
    p.fillRect(QRectF(4, 5, 8, 4), QColor(191, 191, 191));
    p.fillRect(QRectF(6, 12, 4, 2.5), QColor(90, 90, 90));
}
void drawOpen(QPainter& p)
{
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(230, 190, 80));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(14.5, 5),
                             QPointF(14.5, 13.5), QPointF(1.5, 13.5)}));
}
void drawSave(QPainter& p)
{
    drawPage(p, QRectF(1.5, 1.5, 13, 13), QColor(60, 90, 170));
    p.fillRect(QRectF(4, 2, 8, 5), Qt::white);
    p.fillRect(QRectF(5, 10, 6, 4), QColor(200, 200, 200));
}
void drawAbout(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 110, 190));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f("DejaVu Sans");
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
}
void drawCheckWindow(QPainter& p)
{
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(QColor(191, 191, 191));
    p.drawRect(QRectF(1.5, 1.5, 13, 10));
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(QRectF(3.5, 3.5, 9, 6));
    p.setPen(QPen(QColor(30, 150, 30), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(6, 12), QPointF(8.5, 14.5), QPointF(14.5, 8)}));
}

constexpr std::array<ImageEntry, 16> kImages = {{
    {2, "media-playback-start", drawPlay},
    {10, "edit-copy", drawCopy},
    {12, "edit-paste", drawPaste},
    {14, "preferences-desktop-font", drawFont},
    {16, "utilities-terminal", drawConsole},
    {26, "insert-text", drawCheckText},
    {28, "accessories-text-editor", drawScript},
    {31, "document-open", drawOpen},
    {33, "document-save", drawSave},
    {36, "camera-photo", drawScreenShot},
    {37, "help-about", drawAbout},
    {38, "system-run", drawRun},
    {40, "window-new", drawNewWindow},
    {41, "media-playback-stop", drawStop},
    {43, "media-record", drawRecord},
    {45, "edit-find", drawCheckWindow},
}};

const ImageEntry* findImage(int index)
{
    for (const auto& e : kImages)
        if (e.index == index)
            return &e;
    return nullptr;
}

QPixmap drawAt(const ImageEntry& e, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    e.draw(p);
    return pixmap;
}

}  // namespace

const char* ToolImageThemeName(int index)
{
    const ImageEntry* e = findImage(index);
    return e ? e->themeName : nullptr;
}

QIcon ToolImageFallback(int index)
{
    QIcon icon;
    if (const ImageEntry* e = findImage(index))
        for (int size : {16, 24, 32})
            icon.addPixmap(drawAt(*e, size));
    return icon;
}

QIcon ToolImage(int index)
{
    const ImageEntry* e = findImage(index);
    if (!e)
        return QIcon();
    return QIcon::fromTheme(QString::fromLatin1(e->themeName), ToolImageFallback(index));
}

}  // namespace qp
