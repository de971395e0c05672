#include "ConsoleView.h"

#include "CellShapes.h"
#include "display/ConsoleColors.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace qp {

namespace {

constexpr quint32 kUnknownGlyph = 0xFFFFFFFFu;
constexpr int kMaxLineChars = 511;

QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

bool plainLeft(const QMouseEvent* e)
{
    return e->buttons() == Qt::LeftButton && (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
}

PixelPoint toPixel(const QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    return PixelPoint{p.x(), p.y()};
}

}  // namespace

ConsoleView::ConsoleView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(650, 320);
    // The cell is measured here, before any mouse event can arrive.
    FontChanged();
}

int ConsoleView::Cols() const { return m_snapshot ? m_snapshot->width : 0; }
int ConsoleView::Rows() const { return m_snapshot ? m_snapshot->height : 0; }
int ConsoleView::CursorX() const { return m_snapshot ? m_snapshot->cursorX : 0; }
int ConsoleView::CursorY() const { return m_snapshot ? m_snapshot->cursorY : 0; }

QStringList ConsoleView::Lines() const
{
    QStringList lines;
    if (!m_snapshot)
        return lines;
    const int cols = std::min<int>(m_snapshot->width, kMaxLineChars);
    for (int r = 0; r < m_snapshot->height; ++r) {
        QString line(cols, QLatin1Char(' '));
        for (int c = 0; c < cols; ++c) {
            const uint16_t ch = m_snapshot->wide(c, r).ch & 0xFF;
            if (ch != 0)
                line[c] = QChar(ch);
        }
        lines.append(line);
    }
    return lines;
}

QRect ConsoleView::SelectionPixelRect() const
{
    const PixelRect r = m_sel.selectionPixelRect(width(), height());
    if (!m_sel.hasSelection())
        return QRect(0, 0, r.right, r.bottom);
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

void ConsoleView::ClearSelection(bool keep)
{
    if (!keep)
        m_sel.clear();
}

std::optional<CellRect> ConsoleView::ClampedSelection() const
{
    return m_sel.clampedTo(Cols(), Rows());
}

// --- refresh ----------------------------------------------------------------------------

bool ConsoleView::attachSnapshot(SnapshotPtr snapshot)
{
    const SnapshotPtr before = std::move(m_snapshot);
    m_snapshot = std::move(snapshot);
    const bool selectionChanged = m_sel.hasSelection() != m_shownHasSelection
        || (m_sel.hasSelection() && m_sel.cells() != m_shownSelection);
    m_shownHasSelection = m_sel.hasSelection();
    m_shownSelection = m_sel.cells();

    if (selfSize() || m_repaintEveryTick || selectionChanged || !before || !m_snapshot) {
        update();
        return true;
    }
    if (before == m_snapshot || before->generation == m_snapshot->generation)
        return false;
    if (before->width != m_snapshot->width || before->height != m_snapshot->height) {
        update();
        return true;
    }
    requestChangedRows(*before, *m_snapshot);
    return true;
}

void ConsoleView::requestChangedRows(const ScreenSnapshot& before, const ScreenSnapshot& now)
{
    const size_t rowBytes = size_t(now.width) * sizeof(ScreenCell);
    for (int r = 0; r < now.height; ++r) {
        const size_t at = size_t(r) * size_t(now.width);
        if (std::memcmp(&before.wideCells[at], &now.wideCells[at], rowBytes) != 0 ||
            !sameClusters(before, now, at, at + size_t(now.width)))
            update(rowRect(r));
    }
    if (before.cursorX != now.cursorX || before.cursorY != now.cursorY) {
        update(rowRect(before.cursorY));
        update(rowRect(now.cursorY));
    }
}

// True when the cells [first, end) of both snapshots have the same clusters (combining marks
// change a cell's text without changing its first unit).
bool ConsoleView::sameClusters(const ScreenSnapshot& a, const ScreenSnapshot& b, size_t first, size_t end)
{
    if (a.clusters.empty() && b.clusters.empty())
        return true;
    auto range = [&](const ScreenSnapshot& s) {
        auto byIndex = [](const CellCluster& c, size_t i) { return c.index < i; };
        return std::make_pair(std::lower_bound(s.clusters.begin(), s.clusters.end(), first, byIndex),
                              std::lower_bound(s.clusters.begin(), s.clusters.end(), end, byIndex));
    };
    const auto [aFirst, aEnd] = range(a);
    const auto [bFirst, bEnd] = range(b);
    return std::equal(aFirst, aEnd, bFirst, bEnd);
}

QRect ConsoleView::rowRect(int row) const
{
    return QRect(0, row * CellHeight(), width(), CellHeight());
}

// Self-sizing: the control takes exactly the grid's size. Returns true when it changed.
bool ConsoleView::selfSize()
{
    const int cols = Cols(), rows = Rows();
    if (cols == 0 || rows == 0)
        return false;
    const QSize grid(cols * CellWidth(), rows * CellHeight());
    if (size() == grid)
        return false;
    resize(grid);
    return true;
}

void ConsoleView::FontChanged()
{
    const QFontMetrics metrics(font());
    m_sel.setCellSize(std::max(1, metrics.horizontalAdvance(QLatin1Char('@'))), std::max(1, metrics.height()));
    m_ascent = metrics.ascent();
    m_rawFont = QRawFont::fromFont(font());
    m_glyphs.assign(0x10000, kUnknownGlyph);
    selfSize();
    update();
}

// --- painting -----------------------------------------------------------------------------

void ConsoleView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    paintScreen(painter, event->rect(), true, true);
}

QImage ConsoleView::renderImage() const
{
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintScreen(painter, image.rect(), true, true);
    return image;
}

void ConsoleView::PaintTo(QPainter& target, const QRect& targetRect) const
{
    QImage image(size(), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        paintScreen(painter, image.rect(), false, false);
    }
    const QRect source = SelectionPixelRect().intersected(image.rect());
    target.drawImage(targetRect, image, source.isEmpty() ? image.rect() : source);
}

void ConsoleView::paintScreen(QPainter& painter, const QRect& area, bool highlight, bool cursorBar) const
{
    painter.fillRect(area, palette().color(QPalette::Base));
    if (m_snapshot && CellHeight() > 0) {
        painter.setFont(font());
        const int first = std::max(0, area.top() / CellHeight());
        const int last = std::min(Rows() - 1, area.bottom() / CellHeight());
        for (int r = first; r <= last; ++r)
            paintRow(painter, r, highlight);
    }
    if (cursorBar)
        paintCursorBar(painter);
}

quint32 ConsoleView::glyphFor(char16_t ch) const
{
    quint32& glyph = m_glyphs[ch];
    if (glyph == kUnknownGlyph) {
        const QChar qch(ch);
        quint32 index = 0;
        int count = 1;
        glyph = (m_rawFont.isValid() && m_rawFont.glyphIndexesForChars(&qch, 1, &index, &count) && count == 1) ? index : 0;
    }
    return glyph;
}

// One row: the backgrounds in runs of one colour first, then the characters, so that a
// glyph wider than its cell is not cut by the next cell's background. Characters the font
// has are placed on the grid as glyphs; the others, and cells holding more than one unit
// (combining marks, characters beyond the BMP), go through the toolkit's shaping and font
// fallback. A wide character is drawn from its first cell over both; its second cell
// draws nothing.
void ConsoleView::paintRow(QPainter& painter, int row, bool highlight) const
{
    const ScreenSnapshot& s = *m_snapshot;
    const int cw = CellWidth(), ch = CellHeight(), y = row * ch;
    auto fore = [&](int c) { return highlight && IsCellSelected(c, row) ? kSelectionFore : AttrToForeColor(s.wide(c, row).attr); };
    auto back = [&](int c) { return highlight && IsCellSelected(c, row) ? kSelectionBack : AttrToBackColor(s.wide(c, row).attr); };

    for (int c = 0; c < s.width;) {
        const Rgb colour = back(c);
        int end = c + 1;
        while (end < s.width && back(end) == colour)
            ++end;
        painter.fillRect(c * cw, y, (end - c) * cw, ch, toQColor(colour));
        c = end;
    }

    QList<quint32> glyphs;
    QList<QPointF> positions;
    for (int c = 0; c < s.width;) {
        const Rgb colour = fore(c);
        glyphs.clear();
        positions.clear();
        int end = c;
        for (; end < s.width && fore(end) == colour; ++end) {
            const char16_t unit = s.wide(end, row).ch;
            if (unit == 0 || unit == u' ' || IsTrailingCell(s.wide(end, row)))
                continue;
            if (const CellCluster* cluster = s.clusterAt(size_t(row) * size_t(s.width) + size_t(end))) {
                painter.setPen(toQColor(colour));
                painter.drawText(QPoint(end * cw, y + m_ascent),
                                 QString::fromUtf16(cluster->text.data(), qsizetype(cluster->text.size())));
                continue;
            }
            // Lines and blocks are drawn to fill the cell, so that frames join.
            if (DrawCellShape(painter, unit, QRect(end * cw, y, cw, ch), toQColor(colour)))
                continue;
            if (const quint32 glyph = glyphFor(unit)) {
                glyphs.append(glyph);
                positions.append(QPointF(end * cw, y + m_ascent));
            } else {
                painter.setPen(toQColor(colour));
                painter.drawText(QPoint(end * cw, y + m_ascent), QString(QChar(unit)));
            }
        }
        if (!glyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(m_rawFont);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            run.setUnderline(font().underline());
            run.setStrikeOut(font().strikeOut());
            painter.setPen(toQColor(colour));
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        c = end;
    }
}

// The bar lies in the bottom quarter of the cursor's cell and leaves the cell's last pixel
// column and row uncovered; it is drawn whatever the console's cursor visibility.
void ConsoleView::paintCursorBar(QPainter& painter) const
{
    const int cw = CellWidth(), ch = CellHeight();
    const int left = CursorX() * cw;
    const int top = (CursorY() + 1) * ch - ch / 4;
    const int right = (CursorX() + 1) * cw - 1;
    const int bottom = (CursorY() + 1) * ch - 1;
    if (right > left && bottom > top)
        painter.fillRect(left, top, right - left, bottom - top, toQColor(kCursorColor));
}

// --- mouse and notifications ---------------------------------------------------------------

void ConsoleView::mousePressEvent(QMouseEvent* event)
{
    m_sel.mouseDown(toPixel(event), event->button() == Qt::LeftButton && plainLeft(event));
}

void ConsoleView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_sel.mouseDown(toPixel(event), false);
}

void ConsoleView::mouseMoveEvent(QMouseEvent* event)
{
    m_sel.mouseMove(toPixel(event), plainLeft(event));
}

void ConsoleView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ConsoleView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        FontChanged();
    QWidget::changeEvent(event);
}

void ConsoleView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

}  // namespace qp
