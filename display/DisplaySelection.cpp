#include "DisplaySelection.h"

#include <algorithm>

namespace qp {

void DisplaySelection::mouseDown(PixelPoint at, bool plainLeft)
{
    if (plainLeft) {
        m_anchor = at;
        m_end = at;
        m_pixels = PixelRect{at.x, at.y, at.x, at.y};
    }
    recompute();
}

void DisplaySelection::mouseMove(PixelPoint at, bool plainLeft)
{
    if (plainLeft) {
        m_end = at;
        m_pixels = PixelRect{std::min(m_anchor.x, at.x), std::min(m_anchor.y, at.y),
                             std::max(m_anchor.x, at.x), std::max(m_anchor.y, at.y)};
    }
    recompute();
}

void DisplaySelection::clear()
{
    m_pixels = PixelRect{};
    recompute();
}

void DisplaySelection::setCellSize(int32_t width, int32_t height)
{
    m_cellWidth = width;
    m_cellHeight = height;
}

// Integer division truncating toward zero, as the pixel rectangle may reach left of or
// above the control during a captured drag.
void DisplaySelection::recompute()
{
    if (m_cellWidth <= 0 || m_cellHeight <= 0) {
        m_cells = CellRect{};
        return;
    }
    m_cells = CellRect{m_pixels.left / m_cellWidth, m_pixels.top / m_cellHeight,
                       m_pixels.right / m_cellWidth, m_pixels.bottom / m_cellHeight};
}

bool DisplaySelection::hasSelection() const
{
    return !(m_cells.left == m_cells.right && m_cells.top == m_cells.bottom);
}

bool DisplaySelection::isCellSelected(int32_t col, int32_t row) const
{
    return hasSelection() && m_cells.left <= col && col <= m_cells.right && m_cells.top <= row
        && row <= m_cells.bottom;
}

PixelRect DisplaySelection::selectionPixelRect(int32_t clientWidth, int32_t clientHeight) const
{
    if (!hasSelection())
        return PixelRect{0, 0, clientWidth, clientHeight};
    return PixelRect{m_cells.left * m_cellWidth, m_cells.top * m_cellHeight,
                     (m_cells.right + 1) * m_cellWidth - 1, (m_cells.bottom + 1) * m_cellHeight - 1};
}

std::optional<CellRect> DisplaySelection::clampedTo(int32_t cols, int32_t rows) const
{
    if (!hasSelection() || cols <= 0 || rows <= 0)
        return std::nullopt;
    CellRect r{std::max(m_cells.left, 0), std::max(m_cells.top, 0), std::min(m_cells.right, cols - 1),
               std::min(m_cells.bottom, rows - 1)};
    if (r.left > r.right || r.top > r.bottom)
        return std::nullopt;
    return r;
}

}  // namespace qp
