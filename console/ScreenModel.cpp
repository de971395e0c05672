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
    m_allRowsAt = 0;
    m_clusters.assign(size_t(rows), {});
    m_mayHaveClusters = false;
}

void ScreenBuffer::dropClusters(int r, int left, int right)
{
    RowClusters& list = clusters(r);
    if (list.empty())
        return;
    std::erase_if(list, [&](const RowCluster& c) { return c.col >= left && c.col < right; });
}

void ScreenBuffer::rotateRows(int top, int bottom, int count)
{
    auto first = m_rowMap.begin() + top;
    auto last = m_rowMap.begin() + bottom;
    if (count == 1) {
        // A line feed at the bottom: by far the most common turn.
        const uint32_t leaving = *first;
        std::memmove(&*first, &*first + 1, size_t(bottom - top - 1) * sizeof(uint32_t));
        *(last - 1) = leaving;
        return;
    }
    if (count > 0)
        std::rotate(first, first + count, last);
    else
        std::rotate(first, last + count, last);
}

void ScreenBuffer::resizeInto(ScreenBuffer& target, int cols, int rows, int firstRow, uint64_t version) const
{
    target.allocate(cols, rows, version);
    const int keepCols = std::min(cols, m_cols);
    for (int r = 0; r < rows && r + firstRow < m_rows; ++r) {
        std::memcpy(target.row(r), row(r + firstRow), size_t(keepCols) * sizeof(ScreenCell));
        for (const RowCluster& c : clusters(r + firstRow))
            if (c.col < keepCols) {
                target.clusters(r).push_back(c);
                target.noteClusters();
            }
    }
}

ScreenModel::ScreenModel(int cols, int rows)
{
    m_main.allocate(cols, rows, m_generation);
}

CellSpan ScreenModel::clip(const CellSpan& s) const
{
    return {std::max(s.top, 0), std::min(s.bottom, rows()), std::max(s.left, 0), std::min(s.right, cols())};
}


void ScreenModel::blankHalf(int row, int col)
{
    ScreenCell& cell = m_active->row(row)[col];
    cell = {0x20, uint16_t(cell.attr & ~kCellHalves)};
    m_active->dropClusters(row, col, col + 1);
}

void ScreenModel::splitWideHalves(int row, int col, int width)
{
    const ScreenCell* cells = m_active->row(row);
    if (IsTrailingCell(cells[col]) && col > 0 && IsLeadingCell(cells[col - 1]))
        blankHalf(row, col - 1);
    const int last = col + width - 1;
    if (IsLeadingCell(cells[last]) && last + 1 < cols() && IsTrailingCell(cells[last + 1]))
        blankHalf(row, last + 1);
}

void ScreenModel::setCluster(int row, int col, std::u16string_view text, bool wide)
{
    RowClusters& list = m_active->clusters(row);
    std::erase_if(list, [&](const RowCluster& c) { return c.col == col || (wide && c.col == col + 1); });
    if (text.size() < 2)
        return;
    auto at = std::lower_bound(list.begin(), list.end(), col, [](const RowCluster& c, int x) { return c.col < x; });
    list.insert(at, RowCluster{col, std::u16string(text)});
    m_active->noteClusters();
}

void ScreenModel::mendEdges(int row, int left, int right)
{
    const ScreenCell* cells = m_active->row(row);
    if (left > 0 && IsLeadingCell(cells[left - 1]) && !IsTrailingCell(cells[left]))
        blankHalf(row, left - 1);
    if (right < cols() && IsTrailingCell(cells[right]) && !IsLeadingCell(cells[right - 1]))
        blankHalf(row, right);
}

inline void ScreenModel::fillCells(int row, int left, int right, ScreenCell cell)
{
    ScreenCell* cells = m_active->row(row);
    cellops::fill(cells + left, right - left, cell);
    if (m_active->rowHasClusters(row))
        m_active->dropClusters(row, left, right);
    // Half a wide character beside the span: mendEdges looks closer.
    if ((left > 0 && IsLeadingCell(cells[left - 1])) || (right < cols() && IsTrailingCell(cells[right])))
        mendEdges(row, left, right);
    m_active->touch(row, m_generation + 1);
}

void ScreenModel::fill(const CellSpan& span, ScreenCell cell)
{
    const CellSpan s = clip(span);
    if (s.top >= s.bottom || s.left >= s.right)
        return;
    for (int r = s.top; r < s.bottom; ++r)
        fillCells(r, s.left, s.right, cell);
    changed();
}

void ScreenModel::fillRow(int row, int left, int right, ScreenCell cell)
{
    left = std::max(left, 0);
    right = std::min(right, cols());
    if (unsigned(row) >= unsigned(rows()) || left >= right)
        return;
    fillCells(row, left, right, cell);
    changed();
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
        moveClusters(d.top + i, d.left, s.top + i, s.left, width);
        mendEdges(d.top + i, d.left, d.left + width);
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
    for (int r = firstNew; r < firstNew + std::abs(count); ++r) {
        cellops::fill(m_active->row(r), cols(), blank);
        m_active->clusters(r).clear();
    }
    touchRows(top, bottom);
}

void ScreenModel::scrollUpOne(int top, int bottom, ScreenCell blank)
{
    if (top < 0 || bottom > rows() || bottom - top < 2) {
        scrollRows(top, bottom, 1, blank);
        return;
    }
    m_active->rotateRows(top, bottom, 1);
    cellops::fill(m_active->row(bottom - 1), cols(), blank);
    if (m_active->mayHaveClusters())
        m_active->clusters(bottom - 1).clear();
    touchRows(top, bottom);
}

void ScreenModel::moveClusters(int destRow, int destLeft, int srcRow, int srcLeft, int width)
{
    RowClusters& src = m_active->clusters(srcRow);
    RowClusters& dest = m_active->clusters(destRow);
    if (src.empty() && dest.empty())
        return;
    RowClusters moved;
    for (const RowCluster& c : src)
        if (c.col >= srcLeft && c.col < srcLeft + width)
            moved.push_back({c.col - srcLeft + destLeft, c.text});
    m_active->dropClusters(destRow, destLeft, destLeft + width);
    dest.insert(dest.end(), std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
    if (!dest.empty())
        m_active->noteClusters();
    std::sort(dest.begin(), dest.end(), [](const RowCluster& a, const RowCluster& b) { return a.col < b.col; });
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
            cells[c] = {0x20, uint16_t(cells[c].attr & ~kCellHalves)};
        m_active->clusters(r).clear();
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
