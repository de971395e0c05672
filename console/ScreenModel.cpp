#include "ScreenModel.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace qp {

void ScreenBuffer::allocate(int cols, int rows, uint64_t version)
{
    m_cols = cols;
    m_rows = rows;
    m_cells.assign(size_t(cols) * size_t(rows), kBlankCell);
    m_rowMap.resize(size_t(rows));
    std::iota(m_rowMap.begin(), m_rowMap.end(), 0u);
    m_rowVersion.assign(size_t(rows), version);
}

void ScreenBuffer::rotateRows(int top, int bottom, int count)
{
    auto first = m_rowMap.begin() + top;
    auto last = m_rowMap.begin() + bottom;
    if (count > 0)
        std::rotate(first, first + count, last);
    else
        std::rotate(first, last + count, last);
}

void ScreenBuffer::resizeInto(ScreenBuffer& target, int cols, int rows, int firstRow, uint64_t version) const
{
    target.allocate(cols, rows, version);
    const int keepCols = std::min(cols, m_cols);
    for (int r = 0; r < rows && r + firstRow < m_rows; ++r)
        std::memcpy(target.row(r), row(r + firstRow), size_t(keepCols) * sizeof(ScreenCell));
}

ScreenModel::ScreenModel(int cols, int rows)
{
    m_main.allocate(cols, rows, m_generation);
}

CellSpan ScreenModel::clip(const CellSpan& s) const
{
    return {std::max(s.top, 0), std::min(s.bottom, rows()), std::max(s.left, 0), std::min(s.right, cols())};
}

void ScreenModel::touchRows(int top, int bottom)
{
    for (int r = top; r < bottom; ++r)
        m_active->touch(r, m_generation + 1);
    changed();
}

void ScreenModel::fill(const CellSpan& span, ScreenCell cell)
{
    const CellSpan s = clip(span);
    if (s.top >= s.bottom || s.left >= s.right)
        return;
    for (int r = s.top; r < s.bottom; ++r)
        std::fill_n(m_active->row(r) + s.left, s.right - s.left, cell);
    touchRows(s.top, s.bottom);
}

void ScreenModel::moveRect(const CellSpan& dest, const CellSpan& src)
{
    const int height = std::min(dest.bottom - dest.top, src.bottom - src.top);
    const int width = std::min(dest.right - dest.left, src.right - src.left);
    const CellSpan d = clip({dest.top, dest.top + height, dest.left, dest.left + width});
    const CellSpan s = clip({src.top, src.top + height, src.left, src.left + width});
    if (d.bottom - d.top != height || s.bottom - s.top != height || d.right - d.left != width ||
        s.right - s.left != width || height <= 0 || width <= 0)
        return;  // the emulator never asks for a move outside the screen
    auto copyRow = [&](int i) {
        std::memmove(m_active->row(d.top + i) + d.left, m_active->row(s.top + i) + s.left,
                     size_t(width) * sizeof(ScreenCell));
    };
    if (d.top <= s.top)
        for (int i = 0; i < height; ++i)
            copyRow(i);
    else
        for (int i = height - 1; i >= 0; --i)
            copyRow(i);
    touchRows(d.top, d.bottom);
}

void ScreenModel::scrollRows(int top, int bottom, int count, ScreenCell blank)
{
    top = std::max(top, 0);
    bottom = std::min(bottom, rows());
    if (top >= bottom || count == 0)
        return;
    const int height = bottom - top;
    if (count >= height || -count >= height) {
        fill({top, bottom, 0, cols()}, blank);
        return;
    }
    m_active->rotateRows(top, bottom, count);
    const int firstNew = count > 0 ? bottom - count : top;
    for (int r = firstNew; r < firstNew + std::abs(count); ++r)
        std::fill_n(m_active->row(r), cols(), blank);
    touchRows(top, bottom);
}

int ScreenModel::resize(int newCols, int newRows)
{
    // Keep the cursor's row on screen: drop rows from the top of the active screen.
    const int shift = std::max(0, m_cursorRow - newRows + 1);
    changed();
    for (ScreenBuffer* buffer : {&m_main, &m_alternate}) {
        if (!buffer->allocated())
            continue;
        ScreenBuffer resized;
        buffer->resizeInto(resized, newCols, newRows, buffer == m_active ? shift : 0, m_generation + 1);
        *buffer = std::move(resized);
    }
    m_cursorRow = std::clamp(m_cursorRow - shift, 0, newRows - 1);
    m_cursorCol = std::clamp(m_cursorCol, 0, newCols - 1);
    return shift;
}

void ScreenModel::setAlternate(bool on)
{
    if (on == alternate())
        return;
    if (on && (!m_alternate.allocated() || m_alternate.cols() != cols() || m_alternate.rows() != rows()))
        m_alternate.allocate(cols(), rows(), m_generation + 1);
    m_active = on ? &m_alternate : &m_main;
    touchRows(0, rows());
}

void ScreenModel::clearCharacters()
{
    for (int r = 0; r < rows(); ++r) {
        ScreenCell* cells = m_active->row(r);
        for (int c = 0; c < cols(); ++c)
            cells[c].ch = 0x20;
    }
    touchRows(0, rows());
}

void ScreenModel::setCursor(int row, int col)
{
    if (row == m_cursorRow && col == m_cursorCol)
        return;
    m_cursorRow = std::clamp(row, 0, rows() - 1);
    m_cursorCol = std::clamp(col, 0, cols() - 1);
    changed();
}

void ScreenModel::setCursorVisible(bool visible)
{
    if (visible == m_cursorVisible)
        return;
    m_cursorVisible = visible;
    changed();
}

}  // namespace qp
