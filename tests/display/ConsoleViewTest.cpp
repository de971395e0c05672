// The display control, painted for real on the offscreen platform and read back by pixel.
#include "display/ConsoleColors.h"
#include "display/widget/DisplayFont.h"
#include "display/widget/ConsoleView.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace qp;

namespace {

SnapshotPtr makeSnapshot(int width, int height, uint16_t attr = 0x07, char16_t ch = u' ', uint64_t generation = 1)
{
    auto s = std::make_shared<ScreenSnapshot>();
    s->width = int16_t(width);
    s->height = int16_t(height);
    s->wideCells.assign(size_t(width) * size_t(height) + 1, ScreenCell{ch, attr});
    s->wideCells.back() = ScreenCell{};
    s->oemCells = s->wideCells;
    s->generation = generation;
    return s;
}

ScreenCell& cellOf(const SnapshotPtr& s, int col, int row)
{
    return const_cast<ScreenCell&>(s->wide(col, row));
}

QColor rgb(Rgb c) { return QColor(c.r, c.g, c.b); }

struct Fixture : ::testing::Test {
    ConsoleView display;
    // The tests' own font (fonts-dejavu-core), whatever the machine's default would be.
    void SetUp() override
    {
        FontSpec wanted;
        wanted.name = "DejaVu Sans Mono";
        wanted.size = 10;
        display.setFont(ToDisplayFont(wanted));
    }
    QImage shot() { return display.renderImage(); }
    // A pixel well inside a cell's background (top-left corner, above any glyph).
    QColor backPixel(const QImage& img, int col, int row)
    {
        return img.pixelColor(col * display.CellWidth(), row * display.CellHeight());
    }
};

}  // namespace

TEST_F(Fixture, MeasuresTheCellFromTheAtSignAtOnce)
{
    ConsoleView fresh;  // no font assigned by anyone: measured in the constructor
    EXPECT_GT(fresh.CellWidth(), 0);
    EXPECT_GT(fresh.CellHeight(), 0);
    const QFontMetrics metrics(display.font());
    EXPECT_EQ(display.CellWidth(), metrics.horizontalAdvance(QLatin1Char('@')));
    EXPECT_EQ(display.CellHeight(), metrics.height());
    EXPECT_TRUE(QFontInfo(display.font()).fixedPitch());
}

TEST(DisplayFont, AFamilyIsUsedOnlyWhenInstalledWithAFixedPitch)
{
    const QStringList fixed = {"DejaVu Sans Mono", "Courier New", "Liberation Mono"};
    const struct {
        const char* wanted;
        const char* chosen;
    } cases[] = {
        {"Courier New", "Courier New"},          {"courier new", "Courier New"},
        {"Nimbus Mono PS", "System Mono"},       {"DejaVu Sans", "System Mono"},
        {"", "System Mono"},                     {"Liberation Mono", "Liberation Mono"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseFixedFamily(c.wanted, fixed, "System Mono").toStdString(), c.chosen) << c.wanted;
}

TEST(DisplayFont, TheDefaultAndEveryChoiceAreInstalledFixedPitchFamilies)
{
    // Whatever is installed: the answers are families the font database lists as fixed.
    auto installedFixed = [](const QString& family) {
        return QFontDatabase::families().contains(family) && QFontDatabase::isFixedPitch(family);
    };
    const FontSpec design = DesignDisplayFont();
    EXPECT_EQ(design.size, 10);
    EXPECT_TRUE(installedFixed(QString::fromStdString(design.name))) << design.name;
    if (QFontDatabase::families().contains("Courier New") && QFontDatabase::isFixedPitch("Courier New")) {
        EXPECT_EQ(design.name, "Courier New");
    }
    for (const char* name : {"Courier New", "No Such Family", "DejaVu Sans", "DejaVu Sans Mono"}) {
        FontSpec wanted;
        wanted.name = name;
        wanted.size = 12;
        const QFont font = ToDisplayFont(wanted);
        EXPECT_TRUE(installedFixed(font.family())) << name << " gave " << font.family().toStdString();
        EXPECT_TRUE(QFontInfo(font).fixedPitch()) << name;
        EXPECT_EQ(font.pointSize(), 12);
    }
}

TEST_F(Fixture, EveryAttributeIsPaintedInItsConsoleColours)
{
    // One cell per background nibble on row 0 (blank), one per foreground nibble on row 1
    // filled with a full block so the glyph shows the foreground colour.
    auto snap = makeSnapshot(16, 2);
    for (int n = 0; n < 16; ++n) {
        cellOf(snap, n, 0) = ScreenCell{u' ', uint16_t((n << 4) | 0x0F | 0xA500)};
        cellOf(snap, n, 1) = ScreenCell{u'\u2588', uint16_t(n)};
    }
    display.attachSnapshot(snap);
    const QImage img = shot();
    const int cw = display.CellWidth(), ch = display.CellHeight();
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(backPixel(img, n, 0), rgb(kBackColors[n]));
        // The middle of the block glyph.
        EXPECT_EQ(img.pixelColor(n * cw + cw / 2, ch + ch / 2), rgb(kForeColors[n]));
    }
}

TEST_F(Fixture, TextIsDrawnInTheForegroundOverTheBackground)
{
    auto snap = makeSnapshot(4, 1, 0x1F, u'M');
    display.attachSnapshot(snap);
    const QImage img = shot();
    // Glyph edges are smoothed: count pixels mostly white as the glyph.
    int glyph = 0, blue = 0;
    for (int y = 0; y < display.CellHeight(); ++y)
        for (int x = 0; x < display.CellWidth(); ++x) {
            const QColor c = img.pixelColor(x, y);
            glyph += c.red() > 128 && c.green() > 128;
            blue += c == QColor(0, 0, 143);
        }
    EXPECT_GT(glyph, 5);
    EXPECT_GT(blue, glyph);
}

TEST_F(Fixture, CursorBarCoversTheBottomQuarterLessTheLastRowAndColumn)
{
    auto snap = makeSnapshot(10, 5, 0x07);
    auto* s = const_cast<ScreenSnapshot*>(snap.get());
    s->cursorX = 3;
    s->cursorY = 2;
    display.attachSnapshot(snap);
    const QImage img = shot();
    const int cw = display.CellWidth(), ch = display.CellHeight();
    const int x0 = 3 * cw, y0 = 2 * ch;
    const QColor yellow(255, 255, 0);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const bool inBar = x < cw - 1 && y >= ch - ch / 4 && y < ch - 1;
            EXPECT_EQ(img.pixelColor(x0 + x, y0 + y) == yellow, inBar) << "cell pixel " << x << "," << y;
        }
}

TEST_F(Fixture, CursorBarIsEmptyForCellsLessThanEightHigh)
{
    QFont tiny = display.font();
    tiny.setPixelSize(5);
    display.setFont(tiny);
    ASSERT_LT(display.CellHeight(), 8);
    display.attachSnapshot(makeSnapshot(4, 2));
    const QImage img = shot();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_NE(img.pixelColor(x, y), QColor(255, 255, 0));
}

TEST_F(Fixture, SelectionIsDrawnBlackOnYellowWithTheCursorBarOverIt)
{
    auto snap = makeSnapshot(10, 5, 0x1F, u' ');
    display.attachSnapshot(snap);
    const int cw = display.CellWidth(), ch = display.CellHeight();
    QTest::mousePress(&display, Qt::LeftButton, {}, QPoint(cw + 1, ch + 1));
    // QTest::mouseMove does not carry the button state: deliver the drag explicitly.
    QMouseEvent move(QEvent::MouseMove, QPointF(3 * cw + 2, 2 * ch + 2), display.mapToGlobal(QPointF(3 * cw + 2, 2 * ch + 2)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&display, &move);
    QTest::mouseRelease(&display, Qt::LeftButton, {}, QPoint(3 * cw + 2, 2 * ch + 2));
    ASSERT_TRUE(display.HasSelection());
    EXPECT_EQ(display.Selection(), (CellRect{1, 1, 3, 2}));
    EXPECT_EQ(display.SelectionPixelRect(), QRect(QPoint(cw, ch), QPoint(4 * cw - 1, 3 * ch - 1)));
    const QImage img = shot();
    EXPECT_EQ(backPixel(img, 1, 1), QColor(255, 255, 0));
    EXPECT_EQ(backPixel(img, 3, 2), QColor(255, 255, 0));
    EXPECT_EQ(backPixel(img, 0, 1), QColor(0, 0, 143));
    EXPECT_EQ(backPixel(img, 4, 2), QColor(0, 0, 143));

    // The cursor bar is drawn over the highlight; its yellow on yellow is invisible, so put
    // the cursor on an unselected cell and check the bar appears there and nowhere else.
    display.ClearSelection();
    EXPECT_FALSE(display.HasSelection());
    EXPECT_EQ(backPixel(shot(), 1, 1), QColor(0, 0, 143));
}

TEST_F(Fixture, ClickSignalsAndModifiedPressKeepsTheAnchor)
{
    display.attachSnapshot(makeSnapshot(10, 5));
    QSignalSpy clicks(&display, &ConsoleView::clicked);
    const int cw = display.CellWidth(), ch = display.CellHeight();
    QTest::mouseClick(&display, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    QTest::mousePress(&display, Qt::LeftButton, {}, QPoint(cw + 1, ch + 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(4 * cw, 3 * ch), display.mapToGlobal(QPointF(4 * cw, 3 * ch)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&display, &move);
    QTest::mouseRelease(&display, Qt::LeftButton, {}, QPoint(4 * cw, 3 * ch));
    EXPECT_EQ(clicks.count(), 2);  // a drag that ends inside raises it too
    const CellRect before = display.Selection();
    QTest::mousePress(&display, Qt::LeftButton, Qt::ShiftModifier, QPoint(8 * cw, 4 * ch));
    EXPECT_EQ(display.Selection(), before);
    EXPECT_EQ(display.selectionState().anchor(), (PixelPoint{cw + 1, ch + 1}));
    QTest::mouseRelease(&display, Qt::LeftButton, Qt::ShiftModifier, QPoint(8 * cw, 4 * ch));
    // A release outside the control is no click.
    QTest::mousePress(&display, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&display, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(Fixture, SizesItselfToTheGrid)
{
    display.show();  // a hidden widget gets its resize events only when shown
    QSignalSpy resized(&display, &ConsoleView::resized);
    EXPECT_EQ(display.size(), QSize(650, 320));  // design size until the first snapshot
    display.attachSnapshot(makeSnapshot(80, 25));
    EXPECT_EQ(display.size(), QSize(80 * display.CellWidth(), 25 * display.CellHeight()));
    display.attachSnapshot(makeSnapshot(100, 40, 0x07, u' ', 2));
    EXPECT_EQ(display.size(), QSize(100 * display.CellWidth(), 40 * display.CellHeight()));
    EXPECT_GE(resized.count(), 2);
    QFont bigger = display.font();
    bigger.setPointSize(bigger.pointSize() * 2);
    display.setFont(bigger);
    EXPECT_EQ(display.size(), QSize(100 * display.CellWidth(), 40 * display.CellHeight()));
}

TEST_F(Fixture, RepaintsOnlyWhenSomethingChanged)
{
    display.show();
    auto first = makeSnapshot(20, 5, 0x07, u'a', 1);
    EXPECT_TRUE(display.attachSnapshot(first));
    EXPECT_FALSE(display.attachSnapshot(first));  // the same snapshot again
    EXPECT_FALSE(display.attachSnapshot(std::make_shared<ScreenSnapshot>(*first)));  // same generation
    auto second = std::make_shared<ScreenSnapshot>(*first);
    second->generation = 2;
    const_cast<ScreenCell&>(second->wide(3, 2)).ch = u'b';
    EXPECT_TRUE(display.attachSnapshot(second));
    // A selection made with the mouse shows at the next refresh, with no new snapshot.
    const int cw = display.CellWidth(), ch = display.CellHeight();
    QTest::mousePress(&display, Qt::LeftButton, {}, QPoint(1, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(3 * cw, 3 * ch), display.mapToGlobal(QPointF(3 * cw, 3 * ch)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&display, &move);
    EXPECT_TRUE(display.attachSnapshot(second));
    EXPECT_FALSE(display.attachSnapshot(second));
    display.ClearSelection();
    EXPECT_TRUE(display.attachSnapshot(second));
    display.setRepaintEveryTick(true);
    EXPECT_TRUE(display.attachSnapshot(second));
}

TEST_F(Fixture, PaintToCopiesTheSelectionWithoutHighlightOrCursor)
{
    auto snap = makeSnapshot(10, 5, 0x20, u' ');  // dark green background everywhere
    cellOf(snap, 2, 1).attr = 0x40;                // one dark red cell
    display.attachSnapshot(snap);
    const int cw = display.CellWidth(), ch = display.CellHeight();
    QImage whole(display.size(), QImage::Format_RGB32);
    {
        QPainter p(&whole);
        display.PaintTo(p, whole.rect());
    }
    EXPECT_EQ(whole.pixelColor(0, ch - 2), QColor(0, 143, 0));  // no cursor bar at (0, 0)
    EXPECT_EQ(whole.pixelColor(2 * cw, ch), QColor(143, 0, 0));

    QTest::mousePress(&display, Qt::LeftButton, {}, QPoint(2 * cw, ch));
    QMouseEvent move(QEvent::MouseMove, QPointF(3 * cw + 1, 2 * ch + 1), display.mapToGlobal(QPointF(3 * cw + 1, 2 * ch + 1)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&display, &move);
    ASSERT_EQ(display.Selection(), (CellRect{2, 1, 3, 2}));
    QImage part(2 * cw, 2 * ch, QImage::Format_RGB32);
    {
        QPainter p(&part);
        display.PaintTo(p, part.rect());
    }
    EXPECT_EQ(part.pixelColor(1, 1), QColor(143, 0, 0));        // the red cell, not yellow
    EXPECT_EQ(part.pixelColor(cw + 1, 1), QColor(0, 143, 0));
}

TEST_F(Fixture, LinesHoldTheLowByteWithZeroAsBlank)
{
    auto snap = makeSnapshot(600, 2, 0x07, u'x');
    cellOf(snap, 0, 0).ch = 0;
    cellOf(snap, 1, 0).ch = 0x2541;  // low byte 'A'
    display.attachSnapshot(snap);
    const QStringList lines = display.Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), 511);
    EXPECT_TRUE(lines[0].startsWith(" Axx"));
}

TEST_F(Fixture, EmptyControlShowsBackgroundAndCursorBar)
{
    const QImage img = shot();
    EXPECT_EQ(img.size(), QSize(650, 320));
    EXPECT_EQ(img.pixelColor(0, display.CellHeight() - 2), QColor(255, 255, 0));
    EXPECT_EQ(img.pixelColor(300, 200), display.palette().color(QPalette::Base));
}
