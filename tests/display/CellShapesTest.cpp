// Box-drawing and block characters drawn to fill the cell: at every cell size the lines meet
// the cell's edges exactly where the neighbouring cells' lines do, so frames join.
#include "display/widget/CellShapes.h"
#include "display/widget/ConsoleView.h"
#include "display/widget/DisplayFont.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace qp;

namespace {

const QSize kCellSizes[] = {{5, 9}, {6, 11}, {7, 13}, {7, 15}, {8, 16}, {8, 17}, {9, 19}, {10, 21}, {13, 27}, {16, 33}};

QImage drawn(char16_t ch, QSize cell)
{
    QImage img(cell, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    EXPECT_TRUE(DrawCellShape(p, ch, QRect(QPoint(0, 0), cell), Qt::white));
    return img;
}

bool lit(const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(Qt::white); }

// The lit pixels along one edge: the columns of the top or bottom row, the rows of the left
// or right column.
enum Edge { Top, RightEdge, Bottom, LeftEdge };
std::vector<int> edge(const QImage& img, Edge e)
{
    std::vector<int> out;
    const int w = img.width(), h = img.height();
    if (e == Top || e == Bottom) {
        for (int x = 0; x < w; ++x)
            if (lit(img, x, e == Top ? 0 : h - 1))
                out.push_back(x);
    } else {
        for (int y = 0; y < h; ++y)
            if (lit(img, e == LeftEdge ? 0 : w - 1, y))
                out.push_back(y);
    }
    return out;
}

// The number of 4-connected groups of lit pixels.
int components(const QImage& img)
{
    const int w = img.width(), h = img.height();
    std::vector<int> seen(size_t(w * h), 0);
    int count = 0;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (!lit(img, x0, y0) || seen[size_t(y0 * w + x0)])
                continue;
            ++count;
            std::vector<QPoint> todo{{x0, y0}};
            seen[size_t(y0 * w + x0)] = 1;
            while (!todo.empty()) {
                const QPoint p = todo.back();
                todo.pop_back();
                for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h || seen[size_t(q.y() * w + q.x())] || !lit(img, q.x(), q.y()))
                        continue;
                    seen[size_t(q.y() * w + q.x())] = 1;
                    todo.push_back(q);
                }
            }
        }
    return count;
}

// The arms of a character from its name's letters, for the table below.
struct Arms {
    char16_t ch;
    const char* arms;  // up, right, down, left: 0 none, l light, h heavy, d double
};
const Arms kSamples[] = {
    {u'─', "0l0l"}, {u'│', "l0l0"}, {u'┌', "0ll0"}, {u'┐', "00ll"}, {u'└', "ll00"}, {u'┘', "l00l"},
    {u'├', "lll0"}, {u'┤', "l0ll"}, {u'┬', "0lll"}, {u'┴', "ll0l"}, {u'┼', "llll"},
    {u'━', "0h0h"}, {u'┃', "h0h0"}, {u'┏', "0hh0"}, {u'┛', "h00h"}, {u'╋', "hhhh"}, {u'┝', "lhl0"}, {u'╀', "hlll"},
    {u'═', "0d0d"}, {u'║', "d0d0"}, {u'╔', "0dd0"}, {u'╗', "00dd"}, {u'╚', "dd00"}, {u'╝', "d00d"},
    {u'╠', "ddd0"}, {u'╣', "d0dd"}, {u'╦', "0ddd"}, {u'╩', "dd0d"}, {u'╬', "dddd"},
    {u'╒', "0dl0"}, {u'╓', "0ld0"}, {u'╞', "ldl0"}, {u'╟', "dld0"}, {u'╪', "ldld"}, {u'╫', "dldl"},
    {u'╭', "0ll0"}, {u'╯', "l00l"}, {u'╴', "000l"}, {u'╵', "l000"}, {u'╼', "0h0l"},
};

// The straight line of each weight, whose edges every other character's arms must match.
char16_t straight(char weight, bool vertical)
{
    switch (weight) {
    case 'l': return vertical ? u'│' : u'─';
    case 'h': return vertical ? u'┃' : u'━';
    default: return vertical ? u'║' : u'═';
    }
}

}  // namespace

TEST(CellShapes, ArmsMeetTheEdgesWhereTheStraightLinesDoAtEverySize)
{
    for (const QSize cell : kCellSizes) {
        for (const Arms& a : kSamples) {
            SCOPED_TRACE(std::to_string(cell.width()) + "x" + std::to_string(cell.height()) + " U+"
                         + QString::number(a.ch, 16).toStdString());
            const QImage img = drawn(a.ch, cell);
            const Edge edges[] = {Top, RightEdge, Bottom, LeftEdge};
            for (int side = 0; side < 4; ++side) {
                const char weight = a.arms[side];
                if (weight == '0') {
                    EXPECT_TRUE(edge(img, edges[side]).empty()) << "side " << side;
                    continue;
                }
                const bool vertical = side == 0 || side == 2;
                EXPECT_EQ(edge(img, edges[side]), edge(drawn(straight(weight, vertical), cell), edges[side])) << "side " << side;
            }
            // Light and heavy junctions are closed: one piece.
            if (std::string(a.arms).find('d') == std::string::npos) {
                EXPECT_EQ(components(img), 1);
            }
        }
        // A straight line's two ends match: cells above and below, or side by side, join.
        for (char weight : {'l', 'h', 'd'}) {
            const QImage v = drawn(straight(weight, true), cell), h = drawn(straight(weight, false), cell);
            EXPECT_EQ(edge(v, Top), edge(v, Bottom));
            EXPECT_EQ(edge(h, LeftEdge), edge(h, RightEdge));
            EXPECT_EQ(components(v), weight == 'd' ? 2 : 1);
        }
        // Corners and junctions of double lines: ╔ has an outer and an inner stroke, ╬ four corners.
        EXPECT_EQ(components(drawn(u'╔', cell)), 2);
        EXPECT_EQ(components(drawn(u'╬', cell)), 4);
    }
}

TEST(CellShapes, BlocksFillTheirShareOfTheCell)
{
    auto litCount = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += lit(img, x, y);
        return n;
    };
    for (const QSize cell : kCellSizes) {
        SCOPED_TRACE(std::to_string(cell.width()) + "x" + std::to_string(cell.height()));
        const int all = cell.width() * cell.height();
        EXPECT_EQ(litCount(drawn(u'█', cell)), all);
        // Halves and quadrants that make up the cell together cover it exactly.
        const std::pair<std::u16string, int> covers[] = {
            {u"▀▄", all}, {u"▌▐", all}, {u"▘▝▖▗", all}, {u"▚▞", all}, {u"▙▝", all}, {u"▛▗", all},
        };
        for (const auto& [parts, total] : covers) {
            QImage img(cell, QImage::Format_RGB32);
            img.fill(Qt::black);
            int sum = 0;
            for (char16_t part : parts)
                sum += litCount(drawn(part, cell));
            QPainter p(&img);
            for (char16_t part : parts)
                DrawCellShape(p, part, QRect(QPoint(0, 0), cell), Qt::white);
            p.end();
            EXPECT_EQ(sum, total) << QString::fromStdU16String(parts).toStdString();
            EXPECT_EQ(litCount(img), total) << QString::fromStdU16String(parts).toStdString();
        }
        // Eighths grow with their number; the lower eighths stand on the bottom row.
        int last = 0;
        for (char16_t ch = u'▁'; ch <= u'█'; ++ch) {
            const QImage img = drawn(ch, cell);
            EXPECT_GE(litCount(img), last);
            last = litCount(img);
            EXPECT_TRUE(lit(img, 0, cell.height() - 1));
        }
        // Shades blend: neither the background nor the full colour.
        for (char16_t ch : {u'░', u'▒', u'▓'}) {
            const QColor c = drawn(ch, cell).pixelColor(0, 0);
            EXPECT_GT(c.red(), 0);
            EXPECT_LT(c.red(), 255);
        }
    }
    QImage img(8, 16, QImage::Format_RGB32);
    QPainter p(&img);
    EXPECT_FALSE(DrawCellShape(p, u'A', QRect(0, 0, 8, 16), Qt::white));
    EXPECT_FALSE(DrawCellShape(p, u'\u25A0', QRect(0, 0, 8, 16), Qt::white));
}

// The display itself: a frame drawn in its own font at several sizes, its vertical line
// lit in every pixel row from the top corner's middle to the bottom corner's.
TEST(CellShapes, TheDisplayDrawsFramesWithoutGapsBetweenRows)
{
    const QString family = QStringLiteral("DejaVu Sans Mono");
    if (!QFontDatabase::families().contains(family))
        GTEST_SKIP() << "the tests' font is not installed (fonts-dejavu-core)";
    for (int points : {7, 9, 10, 12, 15, 20}) {
        SCOPED_TRACE(points);
        ConsoleView view;
        FontSpec wanted;
        wanted.name = family.toStdString();
        wanted.size = points;
        view.setFont(ToDisplayFont(wanted));
        auto s = std::make_shared<ScreenSnapshot>();
        s->width = 4;
        s->height = 5;
        const std::u16string rows[] = {u"┌──┐", u"│  │", u"│  │", u"│  │", u"└──┘"};
        for (const auto& row : rows)
            for (char16_t ch : row)
                s->wideCells.push_back(ScreenCell{ch, 0x1F});
        s->wideCells.push_back(ScreenCell{});
        s->oemCells = s->wideCells;
        s->generation = 1;
        // The cursor bar inside the frame, away from its lines.
        s->cursorX = 2;
        s->cursorY = 2;
        view.attachSnapshot(s);
        const QImage img = view.renderImage();
        const int cw = view.CellWidth(), ch = view.CellHeight();
        const QColor white(255, 255, 255);
        int longest = 0, run = 0;
        for (int y = ch / 2; y < 4 * ch + ch / 2; ++y) {
            bool any = false;
            for (int x = 0; x < cw; ++x)
                any = any || img.pixelColor(x, y) == white;
            run = any ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        EXPECT_EQ(longest, 4 * ch) << "cell " << cw << "x" << ch;
        // And the top line runs along the whole row without a gap between the cells.
        int litColumns = 0;
        for (int x = cw / 2; x < 3 * cw + cw / 2; ++x) {
            bool any = false;
            for (int y = 0; y < ch; ++y)
                any = any || img.pixelColor(x, y) == white;
            litColumns += any;
        }
        EXPECT_EQ(litColumns, 3 * cw);
    }
}
