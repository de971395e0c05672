#pragma once
// Finding the text-mode window that is active on the screen by the box-drawing corners of
// window frames. Rectangles here are 1-based (column 1 and row 1 are the first); the
// all-zero rectangle means that no window was found.

#include "console/ScreenTypes.h"

#include <array>
#include <optional>
#include <string_view>

namespace qp {

class HostedConsole;

// Each entry holds the OEM bytes of the single-line and the double-line form of one corner.
// Code pages 437 and 866 agree on these bytes.
inline constexpr std::array<std::string_view, 4> FrameCorners = {
    "\xDA\xC9",  // top-left      U+250C U+2554
    "\xBF\xBB",  // top-right     U+2510 U+2557
    "\xC0\xC8",  // bottom-left   U+2514 U+255A
    "\xD9\xBC",  // bottom-right  U+2518 U+255D
};
static_assert(FrameCorners.size() == 4 && FrameCorners[3].size() == 2);

// True when a corner of a lies inside b (bounds inclusive).
bool CornerInside(const CellRect& a, const CellRect& b);

// The active window on the snapshot's OEM cells: from the first complete frame (in the
// order top-right corners are met) the choice follows every later frame that has a corner
// inside the current choice. A chosen frame whose bottom edge is not on the screen has
// bottom 0.
CellRect FindActiveWindow(const ScreenSnapshot& snapshot);
// The same over a fresh snapshot of the console.
CellRect FindActiveWindow(HostedConsole& console);

// The main window's tracing state, used by the recorder while CheckWindow tracing is on.
struct WindowTrace {
    bool TraceActiveWindow = false;
    CellRect LastTracedWindow{};  // 1-based; kept when tracing is switched off and on

    void toggle() { TraceActiveWindow = !TraceActiveWindow; }
    // When tracing and found differs from the last traced window: remembers it and returns
    // it, so the recorder inserts a check for it. Otherwise nothing.
    std::optional<CellRect> traceStep(const CellRect& found);
};

}  // namespace qp
