#pragma once
// The screen model behind the emulator: the cells of the main and the alternate screen in
// exactly the form a snapshot needs. Rows are reached through a ring of row indices, so a
// scroll moves indices and never cells; every row carries the generation at which it last
// changed, which is its dirty mark. Not thread-safe: the console's screen lock guards it.

#include "ScreenTypes.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qp {

inline constexpr ScreenCell kBlankCell{0x20, 0x07};

// True when either cell is half of a wide character. Each cell is read whole, as the four
// bytes it was written as (text runs and fills write four bytes or more at a time): reading
// back just the attribute's two bytes from such a store proved to wait for the store.
inline bool EitherIsHalf(ScreenCell a, ScreenCell b)
{
    constexpr int kAttrShift = std::endian::native == std::endian::little ? 16 : 0;
    return ((std::bit_cast<uint32_t>(a) | std::bit_cast<uint32_t>(b)) & (uint32_t(kCellHalves) << kAttrShift)) != 0;
}

// The two loops every byte of program output ends in: text runs into cells, and blank cells
// for scrolls and erases. Compiled at -O2 they go a cell (two 16-bit stores) at a time; with
// SSE2 (every x86-64) they go sixteen or four cells a store.
namespace cellops {

// Cells of `count` one-byte characters, all with `attr`. Runs are mostly short and of any
// length, so rather than loops that end at a different point each time, the cells go in
// blocks of eight or four whose last one overlaps the one before.
[[gnu::always_inline]] inline void fromBytes(ScreenCell* out, const char* text, int count, uint16_t attr)
{
#if defined(__SSE2__)
    static_assert(std::endian::native == std::endian::little, "a cell's character is its low half");
    const __m128i zero = _mm_setzero_si128();
    const __m128i attrs = _mm_set1_epi16(int16_t(attr));
    if (count >= 8) {
        auto eight = [&](int at) {
            const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(text + at));
            const __m128i units = _mm_unpacklo_epi8(bytes, zero);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi16(units, attrs));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at + 4), _mm_unpackhi_epi16(units, attrs));
        };
        for (int i = 0; i + 8 < count; i += 8)
            eight(i);
        eight(count - 8);
        return;
    }
    if (count >= 4) {
        auto four = [&](int at) {
            int32_t word;
            std::memcpy(&word, text + at, sizeof word);
            const __m128i units = _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi16(units, attrs));
        };
        four(0);
        four(count - 4);
        return;
    }
    // One to three: the first, the middle and the last cover them all.
    const uint32_t high = uint32_t(attr) << 16;
    auto one = [&](int at) { out[at] = std::bit_cast<ScreenCell>(high | static_cast<unsigned char>(text[at])); };
    if (count > 0) {
        one(0);
        one(count / 2);
        one(count - 1);
    }
#else
    for (int i = 0; i < count; ++i)
        out[i] = {static_cast<unsigned char>(text[i]), attr};
#endif
}

// Cells of `count` UTF-16 units, all with `attr`, in blocks of eight or four as fromBytes.
inline void fromUnits(ScreenCell* out, const char16_t* units, int count, uint16_t attr)
{
#if defined(__SSE2__)
    const __m128i attrs = _mm_set1_epi16(int16_t(attr));
    if (count >= 8) {
        auto eight = [&](int at) {
            const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi16(text, attrs));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at + 4), _mm_unpackhi_epi16(text, attrs));
        };
        for (int i = 0; i + 8 < count; i += 8)
            eight(i);
        eight(count - 8);
        return;
    }
    if (count >= 4) {
        auto four = [&](int at) {
            const __m128i text = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(units + at));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi16(text, attrs));
        };
        four(0);
        four(count - 4);
        return;
    }
#endif
    for (int i = 0; i < count; ++i)
        out[i] = {units[i], attr};
}

// `count` copies of one cell: eight a step, the last block overlapping the one before.
inline void fill(ScreenCell* out, int count, ScreenCell cell)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi32(int32_t(std::bit_cast<uint32_t>(cell)));
    auto store = [&](int at) { _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), four); };
    if (count >= 8) {
        for (; i + 16 < count; i += 16) {  // whole rows, mostly
            store(i);
            store(i + 4);
            store(i + 8);
            store(i + 12);
        }
        for (; i + 8 < count; i += 8) {
            store(i);
            store(i + 4);
        }
        store(count - 8);
        store(count - 4);
        return;
    }
    if (count >= 4) {
        store(0);
        store(count - 4);
        return;
    }
#endif
    for (; i < count; ++i)
        out[i] = cell;
}

}  // namespace cellops

// The text of one cell that is longer than one UTF-16 unit (see CellCluster).
struct RowCluster {
    int col = 0;
    std::u16string text;
};
using RowClusters = std::vector<RowCluster>;  // sorted by column

// One screen: cells of physical rows, the logical-to-physical row ring and row versions.
// Clusters are kept per physical row, so they move with their row when the ring turns.
class ScreenBuffer {
public:
    void allocate(int cols, int rows, uint64_t version);
    bool allocated() const { return !m_cells.empty(); }
    int cols() const { return m_cols; }
    int rows() const { return m_rows; }
    ScreenCell* row(int r) { return m_cells.data() + size_t(m_rowMap[size_t(r)]) * size_t(m_cols); }
    const ScreenCell* row(int r) const { return m_cells.data() + size_t(m_rowMap[size_t(r)]) * size_t(m_cols); }
    RowClusters& clusters(int r) { return m_clusters[m_rowMap[size_t(r)]]; }
    const RowClusters& clusters(int r) const { return m_clusters[m_rowMap[size_t(r)]]; }
    // False while no row of this screen has had a cluster since it was allocated: text
    // and erases then skip looking at the row's clusters.
    bool mayHaveClusters() const { return m_mayHaveClusters; }
    void noteClusters() { m_mayHaveClusters = true; }
    bool rowHasClusters(int r) const { return m_mayHaveClusters && !clusters(r).empty(); }
    // Drops the clusters of row r in columns [left, right).
    void dropClusters(int r, int left, int right);
    uint64_t rowVersion(int r) const { return m_rowVersion[size_t(r)]; }
    void touch(int r, uint64_t version) { m_rowVersion[size_t(r)] = version; }
    void touch(int top, int bottom, uint64_t version)
    {
        // Line feeds at the bottom mark the whole region on every scroll, but a screen's
        // rows seldom change their version more than once between two snapshots.
        if (version == m_allRowsAt)
            return;
        if (top == 0 && bottom == m_rows)
            m_allRowsAt = version;
        uint64_t* versions = m_rowVersion.data();
        int r = top;
#if defined(__SSE2__)
        const __m128i two = _mm_set1_epi64x(int64_t(version));
        for (; r + 4 <= bottom; r += 4) {  // a scroll marks every row of the region
            _mm_storeu_si128(reinterpret_cast<__m128i*>(versions + r), two);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(versions + r + 2), two);
        }
#endif
        for (; r < bottom; ++r)
            versions[r] = version;
    }
    // Rotates rows [top, bottom) by count (positive: content moves up).
    void rotateRows(int top, int bottom, int count);
    // A copy of this screen at a new size, keeping the cells from row `firstRow` on.
    void resizeInto(ScreenBuffer& target, int cols, int rows, int firstRow, uint64_t version) const;

private:
    int m_cols = 0;
    int m_rows = 0;
    std::vector<ScreenCell> m_cells;
    std::vector<uint32_t> m_rowMap;
    std::vector<RowClusters> m_clusters;  // by physical row
    std::vector<uint64_t> m_rowVersion;
    uint64_t m_allRowsAt = 0;  // the version every row was last given at once, 0 for none
    bool m_mayHaveClusters = false;
};

// A rectangle of cells, half-open: rows [top, bottom), columns [left, right).
struct CellSpan {
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};

class ScreenModel {
public:
    ScreenModel(int cols, int rows);

    int cols() const { return m_main.cols(); }
    int rows() const { return m_main.rows(); }
    const ScreenBuffer& active() const { return *m_active; }
    bool alternate() const { return m_active == &m_alternate; }
    // Changes stamp their rows with the next generation, which becomes the current one when
    // someone asks for it: asking twice with no change between gives the same number.
    uint64_t generation() const
    {
        if (m_changed) {
            ++m_generation;
            m_changed = false;
        }
        return m_generation;
    }

    // A character of one or two columns: its text is one UTF-16 unit, a surrogate pair or
    // a base character with its combining marks. A wide one covers the next cell too, as a
    // trailing half. Called once per glyph: the common case (one unit, one column, nothing
    // wide around, no clusters in the row) is kept small and inline.
    void putChar(int row, int col, std::u16string_view text, uint16_t attr, int width)
    {
        if (unsigned(row) >= unsigned(rows()) || unsigned(col) >= unsigned(cols()) || text.empty())
            return;
        ScreenCell* cells = m_active->row(row);
        const bool wide = width > 1 && col + 1 < cols();
        if (EitherIsHalf(cells[col], wide ? cells[col + 1] : ScreenCell{0, attr}))
            splitWideHalves(row, col, wide ? 2 : 1);
        const uint16_t plain = uint16_t(attr & ~kCellHalves);
        cells[col] = {text[0], wide ? uint16_t(plain | kLeadingCell) : plain};
        if (wide)
            cells[col + 1] = {text[0], uint16_t(plain | kTrailingCell)};
        if (text.size() > 1 || m_active->rowHasClusters(row))
            setCluster(row, col, text, wide);
        m_active->touch(row, m_generation + 1);
        m_changed = true;
    }
    // A run of one-column characters (each its one UTF-16 unit) from (row, col), all
    // fitting on the row: what most program output is.
    template <typename Unit>
    void putRun(int row, int col, const Unit* text, int length, uint16_t attr)
    {
        if (unsigned(row) >= unsigned(rows()) || col < 0 || length <= 0 || col + length > cols())
            return;
        ScreenCell* cells = m_active->row(row);
        const int last = col + length - 1;
        if (EitherIsHalf(cells[col], cells[last])) {
            splitWideHalves(row, col, 1);
            splitWideHalves(row, last, 1);
        }
        const uint16_t plain = uint16_t(attr & ~kCellHalves);
        if constexpr (sizeof(Unit) == 1) {
            cellops::fromBytes(cells + col, text, length, plain);
        } else {
            static_assert(std::is_same_v<Unit, char16_t>);
            cellops::fromUnits(cells + col, text, length, plain);
        }
        if (m_active->rowHasClusters(row))
            m_active->dropClusters(row, col, col + length);
        textTouched(row);
    }
    // Text the emulator writes straight into a row, left to right from `col`, all of it
    // one-column characters: textRow gives the row's cells (splitting a wide character whose
    // trailing half is at `col`), textWritten ends the run of cells [col, last], given what
    // cell `last` held before. Together the same as putRun.
    ScreenCell* textRow(int row, int col)
    {
        ScreenCell* cells = m_active->row(row);
        if (IsTrailingCell(cells[col]) && col > 0 && IsLeadingCell(cells[col - 1]))
            blankHalf(row, col - 1);
        return cells;
    }
    void textWritten(int row, int col, int last, ScreenCell lastBefore)
    {
        if (IsLeadingCell(lastBefore) && last + 1 < cols() && IsTrailingCell(m_active->row(row)[last + 1]))
            blankHalf(row, last + 1);
        if (m_active->rowHasClusters(row))
            m_active->dropClusters(row, col, last + 1);
        textTouched(row);
    }
    // The cells of a row where [col, last] may be written over with one-column text and
    // nothing else need change: no wide character is cut at either end and the row has no
    // clusters. Null otherwise (then textRow and textWritten take the run). After writing,
    // textTouched marks the row.
    ScreenCell* plainTextRow(int row, int col, int last)
    {
        ScreenCell* cells = m_active->row(row);
        if (EitherIsHalf(cells[col], cells[last]) || m_active->rowHasClusters(row))
            return nullptr;
        return cells;
    }
    void textTouched(int row)
    {
        m_active->touch(row, m_generation + 1);
        m_changed = true;
    }
    void fill(const CellSpan& span, ScreenCell cell);
    // The same for columns [left, right) of one row: what most erases are.
    void fillRow(int row, int left, int right, ScreenCell cell);
    void moveRect(const CellSpan& dest, const CellSpan& src);
    // Scrolls rows [top, bottom) by count (positive: up), blanking what comes in.
    void scrollRows(int top, int bottom, int count, ScreenCell blank);
    // The same by one row up: a line feed at the bottom of the region.
    void scrollUpOne(int top, int bottom, ScreenCell blank);
    // New size for both screens. Returns how many rows the active screen's content moved up
    // to keep the cursor's row on screen.
    int resize(int cols, int rows);
    void setAlternate(bool on);
    // Blanks every character of the active screen, keeping the attributes.
    void clearCharacters();

    int cursorRow() const { return m_cursorRow; }
    int cursorCol() const { return m_cursorCol; }
    bool cursorVisible() const { return m_cursorVisible; }
    void setCursor(int row, int col);
    void setCursorVisible(bool visible);

private:
    bool contains(int row, int col) const { return row >= 0 && col >= 0 && row < rows() && col < cols(); }
    CellSpan clip(const CellSpan& span) const;
    void touchRows(int top, int bottom)
    {
        m_active->touch(top, bottom, m_generation + 1);
        m_changed = true;
    }
    void fillCells(int row, int left, int right, ScreenCell cell);
    // Before cells [col, col + width) are overwritten: the other half of a wide character
    // cut there becomes a blank.
    void splitWideHalves(int row, int col, int width);
    void blankHalf(int row, int col);
    void setCluster(int row, int col, std::u16string_view text, bool wide);
    // After a fill or a move of columns [left, right): halves cut at its edges become blanks.
    void mendEdges(int row, int left, int right);
    void moveClusters(int destRow, int destLeft, int srcRow, int srcLeft, int width);
    void changed() { m_changed = true; }

    ScreenBuffer m_main;
    ScreenBuffer m_alternate;  // allocated on first use
    ScreenBuffer* m_active = &m_main;
    mutable uint64_t m_generation = 1;
    mutable bool m_changed = false;
    int m_cursorRow = 0;
    int m_cursorCol = 0;
    bool m_cursorVisible = true;
};

}  // namespace qp
