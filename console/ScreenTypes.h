#pragma once
// Value types shared by everything that reads the hosted console's screen.

#include <cstdint>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace qp {

// One console cell: a 16-bit character and the console attribute word.
// Attribute bits 0-3 are the foreground (bit 0 blue, 1 green, 2 red, 3 intensity),
// bits 4-7 the background in the same order.
struct ScreenCell {
    uint16_t ch = 0;
    uint16_t attr = 0;
    friend bool operator==(const ScreenCell&, const ScreenCell&) = default;
};
static_assert(sizeof(ScreenCell) == 4, "a cell is exactly 4 bytes");

// A wide character covers two cells, marked in the attribute word as the platform console
// marks them: the first cell leading, the second trailing. The trailing cell repeats the
// character; readers skip it, so the character is read once while columns still count cells.
inline constexpr uint16_t kLeadingCell = 0x0100;
inline constexpr uint16_t kTrailingCell = 0x0200;
inline constexpr uint16_t kCellHalves = kLeadingCell | kTrailingCell;
inline bool IsLeadingCell(const ScreenCell& cell) { return (cell.attr & kLeadingCell) != 0; }
inline bool IsTrailingCell(const ScreenCell& cell) { return (cell.attr & kTrailingCell) != 0; }

// A cell whose text is more than one UTF-16 unit: a surrogate pair, or a base character with
// its combining marks in the order written. The cell's own `ch` holds the first unit.
struct CellCluster {
    uint32_t index = 0;  // row * width + column
    std::u16string text;
    friend bool operator==(const CellCluster&, const CellCluster&) = default;
};

// A rectangle of cells, both bounds inclusive. The base (0 or 1) is the caller's:
// the readers and the script methods use 0-based rectangles, frame detection 1-based.
struct CellRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// The whole active screen buffer as read at one moment. Immutable once published:
// readers hold a SnapshotPtr, so a snapshot is never freed or changed under them.
struct ScreenSnapshot {
    int16_t width = 0;
    int16_t height = 0;
    int16_t cursorX = 0;
    int16_t cursorY = 0;
    bool cursorVisible = true;
    // Row-major, width * height + 1 cells each; the last cell is a zero-filled spare.
    std::vector<ScreenCell> wideCells;  // UTF-16 code units
    std::vector<ScreenCell> oemCells;   // OEM code page byte in the low 8 bits
    // Increases whenever the screen content, size or cursor changed since the last snapshot.
    uint64_t generation = 0;
    // Per row, the generation at which that row last changed: a painter holding an older
    // snapshot of the same size repaints only the rows whose version differs.
    std::vector<uint64_t> rowVersions;
    // True while the program under test shows its alternate screen.
    bool alternateScreen = false;
    // The cells whose text is longer than one unit, by index; empty on most screens.
    std::vector<CellCluster> clusters;

    const ScreenCell& wide(int col, int row) const { return wideCells[size_t(row) * size_t(width) + size_t(col)]; }
    const ScreenCell& oem(int col, int row) const { return oemCells[size_t(row) * size_t(width) + size_t(col)]; }
    // True when `row` may differ from the same row of `older` (always, across a size change).
    bool rowChangedSince(const ScreenSnapshot& older, int row) const
    {
        if (older.width != width || older.height != height || size_t(row) >= rowVersions.size() ||
            size_t(row) >= older.rowVersions.size())
            return true;
        return older.rowVersions[size_t(row)] != rowVersions[size_t(row)];
    }
    bool contains(int col, int row) const { return col >= 0 && row >= 0 && col < width && row < height; }

    // The cluster of a cell, or null when its text is its one unit.
    const CellCluster* clusterAt(size_t index) const
    {
        if (clusters.empty())
            return nullptr;
        auto it = std::lower_bound(clusters.begin(), clusters.end(), index,
                                   [](const CellCluster& c, size_t i) { return c.index < i; });
        return it != clusters.end() && it->index == index ? &*it : nullptr;
    }
    // Appends the text of the cell at `index` of wideCells: its cluster or its one unit.
    void appendCellText(std::u16string& out, size_t index) const
    {
        if (const CellCluster* c = clusterAt(index))
            out += c->text;
        else
            out += char16_t(wideCells[index].ch);
    }
    // True when the cell is the second half of a wide character whose first half stands
    // just left of it (an orphaned half, left by an overwrite, is read as a blank instead).
    bool continuesWide(int col, int row) const
    {
        return col > 0 && IsTrailingCell(wide(col, row)) && IsLeadingCell(wide(col - 1, row));
    }
};

using SnapshotPtr = std::shared_ptr<const ScreenSnapshot>;

}  // namespace qp
