#pragma once
// ConsoleView: the widget that mirrors the hosted console's screen. One character cell per
// console cell in the console's 16 colours, the console cursor as a yellow bar, and a
// rectangular mouse selection drawn black on yellow. It draws from an immutable snapshot
// that it holds a reference to, so a snapshot replaced by another thread is never freed
// under a paint.

#include "display/DisplaySelection.h"
#include "console/ScreenTypes.h"

#include <QImage>
#include <QRawFont>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

namespace qp {

class ConsoleView : public QWidget {
    Q_OBJECT
public:
    explicit ConsoleView(QWidget* parent = nullptr);

    // Attaching a snapshot, at every refresh. Resizes the control to a new grid and asks
    // for a repaint of the rows that changed since the last one (or of everything when the
    // selection changed). Returns true when a repaint was requested.
    bool attachSnapshot(SnapshotPtr snapshot);
    const SnapshotPtr& snapshot() const { return m_snapshot; }
    // Repaint the whole control at every attach, changed or not (the benchmark's baseline).
    void setRepaintEveryTick(bool on) { m_repaintEveryTick = on; }

    int Cols() const;
    int Rows() const;
    int CursorX() const;
    int CursorY() const;
    // The rows as text: the low 8 bits of each character, 0 as a blank, at most 511
    // characters a row. Built on demand from the snapshot.
    QStringList Lines() const;

    int CellWidth() const { return m_sel.cellWidth(); }
    int CellHeight() const { return m_sel.cellHeight(); }

    bool HasSelection() const { return m_sel.hasSelection(); }
    bool IsCellSelected(int col, int row) const { return m_sel.isCellSelected(col, row); }
    // The selected cells' pixels, or the whole control without a selection.
    QRect SelectionPixelRect() const;
    // All callers pass keep = false; with true nothing happens.
    void ClearSelection(bool keep = false);
    // The selection in cells, not clamped (it may reach outside the grid after a drag).
    CellRect Selection() const { return m_sel.cells(); }
    // The selected cells that lie on the current grid; none without a selection.
    std::optional<CellRect> ClampedSelection() const;
    const DisplaySelection& selectionState() const { return m_sel; }

    // Draws the screen onto another painter's target rectangle, scaled: the selected part
    // when there is a selection, else the whole control; no highlight, no cursor bar.
    void PaintTo(QPainter& painter, const QRect& target) const;
    // The control as painted: grid, highlight and cursor bar.
    QImage renderImage() const;

signals:
    void clicked();  // a left button press and release ending inside the control
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FontChanged();
    bool selfSize();
    static bool sameClusters(const ScreenSnapshot& a, const ScreenSnapshot& b, size_t first, size_t end);
    QRect rowRect(int row) const;
    void requestChangedRows(const ScreenSnapshot& before, const ScreenSnapshot& now);
    void paintScreen(QPainter& painter, const QRect& area, bool highlight, bool cursorBar) const;
    void paintRow(QPainter& painter, int row, bool highlight) const;
    void paintCursorBar(QPainter& painter) const;
    quint32 glyphFor(char16_t ch) const;

    SnapshotPtr m_snapshot;
    DisplaySelection m_sel;
    // The selection the last repaint request showed; a difference asks for a repaint.
    CellRect m_shownSelection;
    bool m_shownHasSelection = false;
    bool m_repaintEveryTick = false;

    QRawFont m_rawFont;
    int m_ascent = 0;
    // Glyph of each UTF-16 unit in the display font: 0 when the font lacks it (drawn
    // through the toolkit's font fallback instead), kUnknownGlyph until first asked.
    mutable std::vector<quint32> m_glyphs;
};

}  // namespace qp
