#include "display/DisplaySelection.h"

#include <gtest/gtest.h>

using namespace qp;

namespace {

DisplaySelection drag(PixelPoint from, PixelPoint to, int cw = 8, int ch = 16)
{
    DisplaySelection s;
    s.setCellSize(cw, ch);
    s.mouseDown(from, true);
    s.mouseMove(to, true);
    return s;
}

}  // namespace

TEST(DisplaySelection, DragsInEveryDirectionSelectTheSameCells)
{
    struct Case {
        const char* name;
        PixelPoint from, to;
    };
    // Cells (1,1)-(3,2) with 8 x 16 cells: pixels 8..31 by 16..47.
    const Case cases[] = {
        {"left to right, top to bottom", {9, 17}, {30, 40}},
        {"right to left", {30, 17}, {9, 40}},
        {"bottom to top", {9, 40}, {30, 17}},
        {"both reversed", {30, 40}, {9, 17}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DisplaySelection s = drag(c.from, c.to);
        EXPECT_TRUE(s.hasSelection());
        EXPECT_EQ(s.cells(), (CellRect{1, 1, 3, 2}));
        EXPECT_LE(s.pixels().left, s.pixels().right);
        EXPECT_LE(s.pixels().top, s.pixels().bottom);
        EXPECT_EQ(s.anchor(), c.from);
        EXPECT_EQ(s.end(), c.to);
    }
}

TEST(DisplaySelection, SingleCellIsNoSelection)
{
    const DisplaySelection s = drag({9, 17}, {15, 31});
    EXPECT_EQ(s.cells(), (CellRect{1, 1, 1, 1}));
    EXPECT_FALSE(s.hasSelection());
    EXPECT_FALSE(s.isCellSelected(1, 1));
    EXPECT_EQ(s.clampedTo(80, 25), std::nullopt);
    EXPECT_EQ(s.selectionPixelRect(640, 400), (PixelRect{0, 0, 640, 400}));
}

TEST(DisplaySelection, ModifiedMouseDownKeepsAnchorButRecomputes)
{
    DisplaySelection s = drag({9, 17}, {30, 40});
    // The font changes: the pixel rectangle stays, the cells follow at the next mouse event.
    s.setCellSize(4, 8);
    EXPECT_EQ(s.cells(), (CellRect{1, 1, 3, 2}));
    s.mouseDown({100, 100}, false);  // Shift held: no new anchor
    EXPECT_EQ(s.anchor(), (PixelPoint{9, 17}));
    EXPECT_EQ(s.cells(), (CellRect{2, 2, 7, 5}));
    s.mouseMove({200, 200}, false);  // not the left button alone: nothing moves
    EXPECT_EQ(s.end(), (PixelPoint{30, 40}));
}

TEST(DisplaySelection, PlainClickAndClearEmpty)
{
    DisplaySelection s = drag({9, 17}, {30, 40});
    s.mouseDown({50, 50}, true);
    EXPECT_FALSE(s.hasSelection());
    s = drag({9, 17}, {30, 40});
    s.clear();
    EXPECT_FALSE(s.hasSelection());
    EXPECT_EQ(s.pixels(), (PixelRect{}));
    EXPECT_EQ(s.anchor(), (PixelPoint{9, 17}));
}

TEST(DisplaySelection, IsCellSelectedAndPixelRect)
{
    const DisplaySelection s = drag({9, 17}, {30, 40});
    EXPECT_TRUE(s.isCellSelected(1, 1));
    EXPECT_TRUE(s.isCellSelected(3, 2));
    EXPECT_FALSE(s.isCellSelected(0, 1));
    EXPECT_FALSE(s.isCellSelected(4, 2));
    EXPECT_FALSE(s.isCellSelected(2, 3));
    EXPECT_EQ(s.selectionPixelRect(640, 400), (PixelRect{8, 16, 31, 47}));
}

TEST(DisplaySelection, DragOutsideTheGridIsClampedWhereCellsAreRead)
{
    struct Case {
        const char* name;
        PixelPoint from, to;
        CellRect raw;
        std::optional<CellRect> clamped;
    };
    // Grid of 10 x 5 cells, 8 x 16 pixels each. Division truncates toward zero, so -20
    // pixels is column -2 and -5 pixels column 0.
    const Case cases[] = {
        {"past the right and bottom", {9, 17}, {200, 200}, {1, 1, 25, 12}, CellRect{1, 1, 9, 4}},
        {"left of and above the control", {30, 40}, {-20, -40}, {-2, -2, 3, 2}, CellRect{0, 0, 3, 2}},
        {"wholly right of the grid", {100, 0}, {200, 30}, {12, 0, 25, 1}, std::nullopt},
        {"wholly below the grid", {0, 100}, {30, 300}, {0, 6, 3, 18}, std::nullopt},
        {"just left of zero truncates to column 0", {-5, 0}, {20, 20}, {0, 0, 2, 1}, CellRect{0, 0, 2, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DisplaySelection s = drag(c.from, c.to);
        EXPECT_EQ(s.cells(), c.raw);
        EXPECT_EQ(s.clampedTo(10, 5), c.clamped);
    }
    EXPECT_EQ(drag({9, 17}, {30, 40}).clampedTo(0, 0), std::nullopt);
}

TEST(DisplaySelection, NoCellSizeMeansNoSelection)
{
    DisplaySelection s;
    s.mouseDown({0, 0}, true);
    s.mouseMove({100, 100}, true);
    EXPECT_FALSE(s.hasSelection());
}
