#include "CellShapes.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <string_view>

namespace qp {

namespace {

// The four arms of each box-drawing character U+2500-U+257F, in the order up, right, down,
// left: '0' none, 'l' light, 'h' heavy, 'd' double; "xxxx" for the diagonals.
constexpr std::string_view kArms =
    "0l0l" "0h0h" "l0l0" "h0h0" "0l0l" "0h0h" "l0l0" "h0h0"   // 2500
    "0l0l" "0h0h" "l0l0" "h0h0" "0ll0" "0hl0" "0lh0" "0hh0"   // 2508
    "00ll" "00lh" "00hl" "00hh" "ll00" "lh00" "hl00" "hh00"   // 2510
    "l00l" "l00h" "h00l" "h00h" "lll0" "lhl0" "hll0" "llh0"   // 2518
    "hlh0" "hhl0" "lhh0" "hhh0" "l0ll" "l0lh" "h0ll" "l0hl"   // 2520
    "h0hl" "h0lh" "l0hh" "h0hh" "0lll" "0llh" "0hll" "0hlh"   // 2528
    "0lhl" "0lhh" "0hhl" "0hhh" "ll0l" "ll0h" "lh0l" "lh0h"   // 2530
    "hl0l" "hl0h" "hh0l" "hh0h" "llll" "lllh" "lhll" "lhlh"   // 2538
    "hlll" "llhl" "hlhl" "hllh" "hhll" "llhh" "lhhl" "hhlh"   // 2540
    "lhhh" "hlhh" "hhhl" "hhhh" "0l0l" "0h0h" "l0l0" "h0h0"   // 2548
    "0d0d" "d0d0" "0dl0" "0ld0" "0dd0" "00ld" "00dl" "00dd"   // 2550
    "ld00" "dl00" "dd00" "l00d" "d00l" "d00d" "ldl0" "dld0"   // 2558
    "ddd0" "l0ld" "d0dl" "d0dd" "0dld" "0ldl" "0ddd" "ld0d"   // 2560
    "dl0l" "dd0d" "ldld" "dldl" "dddd" "0ll0" "00ll" "l00l"   // 2568
    "ll00" "xxxx" "xxxx" "xxxx" "000l" "l000" "0l00" "00l0"   // 2570
    "000h" "h000" "0h00" "00h0" "0h0l" "l0h0" "0l0h" "h0l0";  // 2578
static_assert(kArms.size() == 0x80 * 4, "four arms for each of U+2500-U+257F");

// Dashed lines: the number of dashes, 0 for solid.
constexpr int dashesOf(char16_t ch)
{
    switch (ch) {
    case 0x2504: case 0x2505: case 0x2506: case 0x2507: return 3;
    case 0x2508: case 0x2509: case 0x250A: case 0x250B: return 4;
    case 0x254C: case 0x254D: case 0x254E: case 0x254F: return 2;
    default: return 0;
    }
}

enum Side { Up, Right, Down, Left };

struct Geometry {
    int w, h;       // the cell
    int cx, cy;     // the middle, where the arms meet
    int light, heavy;
    int dx, dy;     // the strokes of a double line lie at the middle +- these
};

int widthOf(char arm, const Geometry& g) { return arm == 'h' ? g.heavy : arm == 'l' || arm == 'd' ? g.light : 0; }

// A horizontal stroke centred on row y from x0 to x1 (inclusive), or a vertical one.
void hStroke(QPainter& p, const QRect& cell, int x0, int x1, int y, int t, const QColor& c)
{
    if (x1 >= x0 && t > 0)
        p.fillRect(cell.left() + x0, cell.top() + y - t / 2, x1 - x0 + 1, t, c);
}
void vStroke(QPainter& p, const QRect& cell, int y0, int y1, int x, int t, const QColor& c)
{
    if (y1 >= y0 && t > 0)
        p.fillRect(cell.left() + x - t / 2, cell.top() + y0, t, y1 - y0 + 1, c);
}

void drawArms(QPainter& p, const QRect& cell, std::string_view arms, const Geometry& g, const QColor& c)
{
    const char up = arms[Up], right = arms[Right], down = arms[Down], left = arms[Left];
    const bool dUp = up == 'd', dRight = right == 'd', dDown = down == 'd', dLeft = left == 'd';
    const bool vDouble = dUp || dDown, hDouble = dLeft || dRight;
    const int w = g.w - 1, h = g.h - 1;
    const int xl = g.cx - g.dx, xr = g.cx + g.dx, yt = g.cy - g.dy, yb = g.cy + g.dy;
    // The first and last pixel of a stroke of thickness t centred on v.
    auto lo = [](int v, int t) { return v - t / 2; };
    auto hi = [](int v, int t) { return v - t / 2 + t - 1; };

    // Single (light or heavy) arms reach across the other direction's line: across its
    // thickest single arm, or to the near stroke of a double one.
    const int vThick = std::max(up == 'd' ? 0 : widthOf(up, g), down == 'd' ? 0 : widthOf(down, g));
    const int hThick = std::max(left == 'd' ? 0 : widthOf(left, g), right == 'd' ? 0 : widthOf(right, g));
    if (up == 'l' || up == 'h')
        vStroke(p, cell, 0, hDouble ? yt : hThick ? hi(g.cy, hThick) : g.cy, g.cx, widthOf(up, g), c);
    if (down == 'l' || down == 'h')
        vStroke(p, cell, hDouble ? yb : hThick ? lo(g.cy, hThick) : g.cy, h, g.cx, widthOf(down, g), c);
    if (left == 'l' || left == 'h')
        hStroke(p, cell, 0, vDouble ? xl : vThick ? hi(g.cx, vThick) : g.cx, g.cy, widthOf(left, g), c);
    if (right == 'l' || right == 'h')
        hStroke(p, cell, vDouble ? xr : vThick ? lo(g.cx, vThick) : g.cx, w, g.cy, widthOf(right, g), c);

    // Double arms: two strokes each. A stroke meets a crossing double line at its inner
    // stroke on its own side, at the outer one when only the other side has one, so that
    // corners and junctions close; otherwise it runs to the middle.
    const int t = g.light;
    auto reach = [](bool ownSide, bool otherSide, int inner, int outer, int middle) {
        return ownSide ? inner : otherSide ? outer : middle;
    };
    if (dUp) {
        vStroke(p, cell, 0, hi(reach(dLeft, dRight, yt, yb, g.cy), t), xl, t, c);
        vStroke(p, cell, 0, hi(reach(dRight, dLeft, yt, yb, g.cy), t), xr, t, c);
    }
    if (dDown) {
        vStroke(p, cell, lo(reach(dLeft, dRight, yb, yt, g.cy), t), h, xl, t, c);
        vStroke(p, cell, lo(reach(dRight, dLeft, yb, yt, g.cy), t), h, xr, t, c);
    }
    if (dLeft) {
        hStroke(p, cell, 0, hi(reach(dUp, dDown, xl, xr, g.cx), t), yt, t, c);
        hStroke(p, cell, 0, hi(reach(dDown, dUp, xl, xr, g.cx), t), yb, t, c);
    }
    if (dRight) {
        hStroke(p, cell, lo(reach(dUp, dDown, xr, xl, g.cx), t), w, yt, t, c);
        hStroke(p, cell, lo(reach(dDown, dUp, xr, xl, g.cx), t), w, yb, t, c);
    }
}

// A dashed line: the cell split into equal parts, each part's first share drawn.
void drawDashes(QPainter& p, const QRect& cell, char16_t ch, const Geometry& g, const QColor& c)
{
    const std::string_view arms = kArms.substr(size_t(ch - 0x2500) * 4, 4);
    const bool vertical = arms[Up] != '0';
    const int t = widthOf(vertical ? arms[Up] : arms[Right], g);
    const int n = dashesOf(ch);
    const int length = vertical ? g.h : g.w;
    for (int i = 0; i < n; ++i) {
        const int from = length * i / n, to = length * (i + 1) / n;
        const int gap = std::max(1, (to - from) / 3);
        if (vertical)
            vStroke(p, cell, from, to - gap - 1, g.cx, t, c);
        else
            hStroke(p, cell, from, to - gap - 1, g.cy, t, c);
    }
}

void drawDiagonals(QPainter& p, const QRect& cell, char16_t ch, const Geometry& g, const QColor& c)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(c, g.light, Qt::SolidLine, Qt::FlatCap));
    const QRectF r(cell);
    if (ch == 0x2571 || ch == 0x2573)
        p.drawLine(r.topRight(), r.bottomLeft());
    if (ch == 0x2572 || ch == 0x2573)
        p.drawLine(r.topLeft(), r.bottomRight());
    p.restore();
}

// --- block elements U+2580-U+259F ---------------------------------------------------------

// Quadrants: upper left 1, upper right 2, lower left 4, lower right 8.
constexpr std::array<int, 10> kQuadrants = {4, 8, 1, 1 | 4 | 8, 1 | 8, 1 | 2 | 4, 1 | 2 | 8, 2, 2 | 4, 2 | 4 | 8};

void drawBlock(QPainter& p, const QRect& cell, char16_t ch, const QColor& c)
{
    const int w = cell.width(), h = cell.height();
    auto eighthsH = [h](int n) { return (h * n + 4) / 8; };
    auto eighthsW = [w](int n) { return (w * n + 4) / 8; };
    auto fill = [&](int x, int y, int fw, int fh, const QColor& colour) {
        if (fw > 0 && fh > 0)
            p.fillRect(cell.left() + x, cell.top() + y, fw, fh, colour);
    };
    if (ch == 0x2580) {  // upper half
        fill(0, 0, w, eighthsH(4), c);
    } else if (ch >= 0x2581 && ch <= 0x2588) {  // lower eighths to the full block
        // What the upper part leaves: lower and upper parts of the same eighth meet exactly.
        const int fh = h - eighthsH(0x2588 - ch);
        fill(0, h - fh, w, fh, c);
    } else if (ch >= 0x2589 && ch <= 0x258F) {  // left seven eighths to one eighth
        fill(0, 0, eighthsW(0x2590 - ch), h, c);
    } else if (ch == 0x2590) {  // right half
        const int fw = w - eighthsW(4);
        fill(w - fw, 0, fw, h, c);
    } else if (ch >= 0x2591 && ch <= 0x2593) {  // shades: a quarter, half, three quarters
        QColor shade = c;
        shade.setAlpha(64 * (ch - 0x2590));
        fill(0, 0, w, h, shade);
    } else if (ch == 0x2594) {  // upper eighth
        fill(0, 0, w, eighthsH(1), c);
    } else if (ch == 0x2595) {  // right eighth
        const int fw = eighthsW(1);
        fill(w - fw, 0, fw, h, c);
    } else {
        const int q = kQuadrants[size_t(ch - 0x2596)];
        const int mw = eighthsW(4), mh = eighthsH(4);
        if (q & 1) fill(0, 0, mw, mh, c);
        if (q & 2) fill(mw, 0, w - mw, mh, c);
        if (q & 4) fill(0, mh, mw, h - mh, c);
        if (q & 8) fill(mw, mh, w - mw, h - mh, c);
    }
}

}  // namespace

int LightLineWidth(int cellWidth, int cellHeight)
{
    return std::max(1, (std::min(cellWidth, cellHeight / 2) + 4) / 8);
}

bool DrawCellShape(QPainter& painter, char16_t ch, const QRect& cell, const QColor& colour)
{
    if (!IsCellShape(ch) || cell.isEmpty())
        return false;
    if (ch >= 0x2580) {
        drawBlock(painter, cell, ch, colour);
        return true;
    }
    Geometry g{};
    g.w = cell.width();
    g.h = cell.height();
    g.cx = g.w / 2;
    g.cy = g.h / 2;
    g.light = LightLineWidth(g.w, g.h);
    g.heavy = g.light * 2;
    g.dx = std::max(g.light, std::min(g.w / 4, g.light * 2 - g.light / 2));
    g.dy = g.dx;
    if (ch >= 0x2571 && ch <= 0x2573)
        drawDiagonals(painter, cell, ch, g, colour);
    else if (dashesOf(ch))
        drawDashes(painter, cell, ch, g, colour);
    else
        drawArms(painter, cell, kArms.substr(size_t(ch - 0x2500) * 4, 4), g, colour);
    return true;
}

}  // namespace qp
