#pragma once
// The display's mouse selection, in pixels and in cells. Pure logic: the widget feeds it
// mouse positions and the cell size, and everyone who reads selected cells asks it.

#include "console/ScreenTypes.h"

#include <cstdint>
#include <optional>

namespace qp {

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Both bounds inclusive, in the display's own coordinates.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

class DisplaySelection {
public:
    // Mouse down. plainLeft: the left button alone, no modifier key, not a double click.
    // Only then does the anchor move; the cells are recomputed in every case.
    void mouseDown(PixelPoint at, bool plainLeft);
    // Mouse move (the pointer may be outside the control while the button is held).
    void mouseMove(PixelPoint at, bool plainLeft);
    // ClearSelection: the pixel rectangle collapses to (0, 0, 0, 0); anchor and end stay.
    void clear();

    // The cell size is taken from the display's font. A new size does not recompute the
    // cells: the pixel rectangle is kept and the next mouse event converts it.
    void setCellSize(int32_t width, int32_t height);
    int32_t cellWidth() const { return m_cellWidth; }
    int32_t cellHeight() const { return m_cellHeight; }

    PixelPoint anchor() const { return m_anchor; }
    PixelPoint end() const { return m_end; }
    PixelRect pixels() const { return m_pixels; }
    // Cells covered, inclusive, 0-based, not clamped to any grid.
    CellRect cells() const { return m_cells; }

    // A single cell is no selection.
    bool hasSelection() const;
    bool isCellSelected(int32_t col, int32_t row) const;
    // With a selection: the pixels of its cells (inclusive right and bottom); without one:
    // (0, 0, clientWidth, clientHeight).
    PixelRect selectionPixelRect(int32_t clientWidth, int32_t clientHeight) const;
    // The selected cells that lie on a grid of cols x rows; none when there is no selection
    // or it lies wholly outside the grid.
    std::optional<CellRect> clampedTo(int32_t cols, int32_t rows) const;

    friend bool operator==(const DisplaySelection&, const DisplaySelection&) = default;

private:
    void recompute();

    PixelPoint m_anchor;
    PixelPoint m_end;
    PixelRect m_pixels;
    CellRect m_cells;
    int32_t m_cellWidth = 0;
    int32_t m_cellHeight = 0;
};

}  // namespace qp
