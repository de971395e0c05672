#include "display/FrameDetect.h"
#include "TextScreens.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qp;
using qp::test::drawFrame;
using qp::test::snapshotFromLines;

namespace {

using Lines = std::vector<std::string>;

struct FrameCase {
    const char* name;
    std::function<void(Lines&)> draw;
    CellRect expected;
};

class FindActiveWindowTable : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FindActiveWindowTable, ChoosesTheActiveFrame) {
    Lines lines(25);
    GetParam().draw(lines);
    EXPECT_EQ(FindActiveWindow(snapshotFromLines(80, 25, lines)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FindActiveWindowTable,
    ::testing::Values(
        FrameCase{"NoFrame", [](Lines& l) { l[0] = "plain text, no corners"; }, {0, 0, 0, 0}},
        FrameCase{"SingleLine", [](Lines& l) { drawFrame(l, 5, 3, 40, 10); }, {5, 3, 40, 10}},
        FrameCase{"DoubleLine", [](Lines& l) { drawFrame(l, 5, 3, 40, 10, u"╔╗╚╝"); }, {5, 3, 40, 10}},
        FrameCase{"DoubleTopSingleBottom", [](Lines& l) { drawFrame(l, 5, 3, 40, 10, u"╔╗└┘"); },
                  {5, 3, 40, 10}},
        FrameCase{"SmallestFrame", [](Lines& l) { drawFrame(l, 1, 1, 2, 2); }, {1, 1, 2, 2}},
        FrameCase{"WholeScreen", [](Lines& l) { drawFrame(l, 1, 1, 80, 25); }, {1, 1, 80, 25}},
        FrameCase{"MixedCornersAreNotCorners", [](Lines& l) { drawFrame(l, 5, 3, 40, 10, u"╓╖╙╜"); },
                  {0, 0, 0, 0}},
        FrameCase{"TeesAreNotCorners", [](Lines& l) { drawFrame(l, 5, 3, 40, 10, u"├┤┬┴"); },
                  {0, 0, 0, 0}},
        FrameCase{"DialogOverPanel",
                  [](Lines& l) {
                      drawFrame(l, 1, 1, 60, 20);
                      drawFrame(l, 10, 5, 70, 12, u"╔╗╚╝");
                  },
                  {10, 5, 70, 12}},
        FrameCase{"DialogInsidePanel",
                  [](Lines& l) {
                      drawFrame(l, 1, 1, 80, 24);
                      drawFrame(l, 20, 8, 50, 14);
                  },
                  {20, 8, 50, 14}},
        FrameCase{"EnclosingFrameFoundLaterIsNotChosen",
                  [](Lines& l) {
                      drawFrame(l, 5, 3, 60, 20);   // its top-right corner comes later
                      drawFrame(l, 10, 3, 30, 5);   // on the same row, nested inside
                  },
                  {10, 3, 30, 5}},
        FrameCase{"SideBySideHigherTopWins",
                  [](Lines& l) {
                      drawFrame(l, 45, 6, 70, 12);
                      drawFrame(l, 5, 4, 40, 10);
                  },
                  {5, 4, 40, 10}},
        FrameCase{"SideBySideSameRowSmallerRightWins",
                  [](Lines& l) {
                      drawFrame(l, 45, 4, 70, 12);
                      drawFrame(l, 5, 4, 40, 10);
                  },
                  {5, 4, 40, 10}},
        FrameCase{"OpenTopEdgeBeforeCompleteFrameIsSkipped",
                  [](Lines& l) {
                      drawFrame(l, 2, 2, 30, 24);
                      l[23] = "";  // the bottom edge is gone
                      drawFrame(l, 40, 5, 60, 9);
                  },
                  {40, 5, 60, 9}},
        FrameCase{"NoCompleteFrame",
                  [](Lines& l) {
                      drawFrame(l, 2, 2, 30, 24);
                      l[23] = "";
                  },
                  {0, 0, 0, 0}},
        FrameCase{"OpenFrameOverlappingTheChoiceIsTakenWithBottomZero",
                  [](Lines& l) {
                      drawFrame(l, 1, 1, 40, 10);
                      drawFrame(l, 20, 5, 60, 24);
                      l[23] = "";
                  },
                  {20, 5, 60, 0}},
        FrameCase{"NestedFramesOnOneRowPairInside",
                  [](Lines& l) {
                      drawFrame(l, 1, 3, 50, 10);
                      drawFrame(l, 10, 3, 20, 10);  // shares the outer frame's rows
                  },
                  {10, 3, 20, 10}},
        FrameCase{"UnpairedCornersAreIgnored",
                  [](Lines& l) {
                      l[0] = "┐ ┘ text └ ┌";
                      drawFrame(l, 5, 3, 40, 10);
                  },
                  {5, 3, 40, 10}}),
    [](const auto& info) { return std::string(info.param.name); });

struct InsideCase {
    const char* name;
    CellRect a, b;
    bool inside;
};

class CornerInsideTable : public ::testing::TestWithParam<InsideCase> {};

TEST_P(CornerInsideTable, TellsWhetherACornerOfALiesInB) {
    EXPECT_EQ(CornerInside(GetParam().a, GetParam().b), GetParam().inside);
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, CornerInsideTable,
    ::testing::Values(
        InsideCase{"Same", {5, 5, 10, 10}, {5, 5, 10, 10}, true},
        InsideCase{"TopLeftInside", {8, 8, 20, 20}, {5, 5, 10, 10}, true},
        InsideCase{"BottomRightInside", {1, 1, 6, 6}, {5, 5, 10, 10}, true},
        InsideCase{"TopRightOnEdge", {1, 10, 5, 20}, {5, 5, 10, 10}, true},
        InsideCase{"Encloses", {1, 1, 20, 20}, {5, 5, 10, 10}, false},
        InsideCase{"CrossWithoutCorners", {7, 1, 8, 20}, {5, 5, 10, 10}, false},
        InsideCase{"Apart", {20, 20, 30, 30}, {5, 5, 10, 10}, false},
        InsideCase{"OpenFrameByTop", {6, 6, 20, 0}, {5, 5, 10, 10}, true},
        InsideCase{"OpenFrameBelow", {6, 11, 20, 0}, {5, 5, 10, 10}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindActiveWindow, FramesBeyondAnyFixedListTakePart) {
    // Forty top edges whose bottoms are off the screen come first in the list, more than a
    // fixed list of 31 frames holds; the first complete frame after them is still found, and
    // a dialog drawn over it after that is still followed.
    Lines lines(25);
    for (int row = 1; row <= 4; ++row)
        for (int col = 0; col < 10; ++col)
            lines[size_t(row - 1)] += "┌──────┐";
    drawFrame(lines, 5, 10, 40, 18);
    EXPECT_EQ(FindActiveWindow(snapshotFromLines(80, 25, lines)), (CellRect{5, 10, 40, 18}));
    drawFrame(lines, 30, 15, 70, 22, u"╔╗╚╝");
    EXPECT_EQ(FindActiveWindow(snapshotFromLines(80, 25, lines)), (CellRect{30, 15, 70, 22}));
}

TEST(FindActiveWindow, ThousandsOfUnmatchedCornersOnOneRow) {
    const int width = 3000;
    std::string row;
    for (int i = 0; i < width - 2; ++i)
        row += "┌";
    row += "┐";  // pairs with the nearest top-left corner
    Lines lines(4);
    lines[0] = row;
    std::string bottom(size_t(width - 3), ' ');
    lines[2] = bottom + "└┘";
    EXPECT_EQ(FindActiveWindow(snapshotFromLines(width, 4, lines)), (CellRect{width - 2, 1, width - 1, 3}));
}

TEST(FindActiveWindow, FrameListIsBoundedOnHostileScreens) {
    // Rows full of top edges open 500 frames each. Up to 65536 frames are kept: with 100
    // such rows the complete frame below them is found; with 140 rows (70000 open frames)
    // its top-right corner comes after the list is full and it is not.
    auto screen = [](int openRows) {
        std::string tops;
        for (int i = 0; i < 500; ++i)
            tops += "┌┐";
        Lines lines(200);
        for (int r = 0; r < openRows; ++r)
            lines[size_t(r)] = tops;
        drawFrame(lines, 10, 150, 40, 160);
        return snapshotFromLines(1000, 200, lines);
    };
    EXPECT_EQ(FindActiveWindow(screen(100)), (CellRect{10, 150, 40, 160}));
    EXPECT_EQ(FindActiveWindow(screen(140)), CellRect{});
}

TEST(FindActiveWindow, EmptyOrTruncatedSnapshotsFindNothing) {
    ScreenSnapshot empty;
    EXPECT_EQ(FindActiveWindow(empty), CellRect{});
    Lines lines(3);
    drawFrame(lines, 1, 1, 4, 3);
    ScreenSnapshot s = snapshotFromLines(4, 3, lines);
    s.oemCells.resize(9);  // the bottom row is missing
    EXPECT_EQ(FindActiveWindow(s), CellRect{});
}

TEST(WindowTrace, RecordsOnlyChangesWhileTracing) {
    WindowTrace trace;
    const CellRect dialog{10, 5, 70, 12};
    EXPECT_FALSE(trace.traceStep(dialog));
    trace.toggle();
    EXPECT_EQ(trace.traceStep(dialog), dialog);
    EXPECT_FALSE(trace.traceStep(dialog));
    trace.toggle();
    trace.toggle();  // switching off and on keeps the last traced window
    EXPECT_FALSE(trace.traceStep(dialog));
    EXPECT_EQ(trace.traceStep(CellRect{}), CellRect{});
}

}  // namespace
