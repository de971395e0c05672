// Docking a real window into the real main window's sites: the window grows by the room the
// docked window needs, never beyond the desktop, and shrinks back when it leaves.
#include "desktop/DockableWindow.h"
#include "desktop/DockSite.h"
#include "MainWindowFixture.h"
#include "desktop/GrowingDockTree.h"
#include "shell/PanelSplitter.h"

#include "shell/ActionTable.h"
#include "display/widget/ConsoleView.h"
#include "scriptwin/ScriptWindow.h"

#include <QAction>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

using namespace qp;
using namespace qp::test;

namespace {

struct Docking : MainWindowFixture {
    std::unique_ptr<DockableWindow> script;
    void SetUp() override
    {
        SetDesktopSizeOverride(QSize(4000, 3000));
        MainWindowFixture::SetUp();
        script = std::make_unique<DockableWindow>("Script");
        script->setUndockedSize(QSize(458, 300));
        // The first refresh fits the window to the console before anything docks.
        form->refreshScreen();
        settle();
    }
    void TearDown() override
    {
        script.reset();
        MainWindowFixture::TearDown();
        SetDesktopSizeOverride(QSize());
    }
    int pageHeight() const { return form->pages()->height(); }
    int pageWidth() const { return form->pages()->width(); }
};

}  // namespace

TEST_F(Docking, BottomPanelGrowsTheWindowAndKeepsTheConsolePage)
{
    const QRect before = form->geometry();
    const int page = pageHeight();
    script->dockInto(form->bottomPanel());
    settle();
    EXPECT_EQ(form->bottomPanel()->height(), 300);
    EXPECT_EQ(form->height(), before.height() + 299);
    EXPECT_EQ(pageHeight(), page);
    EXPECT_TRUE(form->bottomPanel()->holds(script.get()));

    script->floatAt(QPoint(40, 40));
    settle();
    EXPECT_EQ(form->bottomPanel()->height(), 1);
    EXPECT_EQ(form->height(), before.height());
    EXPECT_EQ(pageHeight(), page);
    EXPECT_TRUE(script->isFloating());
    EXPECT_FALSE(script->isWindow());
    EXPECT_EQ(script->size(), QSize(458, 300));
}

TEST_F(Docking, SidePanelsGrowSidewaysAndTheLeftOneMovesTheWindow)
{
    // Room on the left: the test platform shifts windows that reach past the screen's edge.
    form->move(900, 100);
    settle();
    const QRect before = form->geometry();
    const int page = pageWidth();
    script->dockInto(form->leftPanel());  // left
    settle();
    EXPECT_EQ(form->leftPanel()->width(), 458);
    EXPECT_EQ(form->geometry().left(), before.left() - 458);
    EXPECT_EQ(form->width(), before.width() + 457);
    EXPECT_EQ(pageWidth(), page);

    // Straight from one site to another: it leaves the left panel first.
    script->dockInto(form->rightPanel());  // right
    settle();
    EXPECT_EQ(form->leftPanel()->width(), 1);
    EXPECT_EQ(form->rightPanel()->width(), 458);
    EXPECT_EQ(form->width(), before.width() + 457);
    EXPECT_EQ(pageWidth(), page);
}

TEST_F(Docking, ASmallDesktopLimitsTheGrowth)
{
    const int h0 = form->height();
    SetDesktopSizeOverride(QSize(1200, h0 + 100));
    script->dockInto(form->bottomPanel());
    settle();
    EXPECT_EQ(form->height(), h0 + 100);  // exactly the desktop's height
    EXPECT_EQ(form->bottomPanel()->height(), 101);
}

TEST_F(Docking, DragOverAcceptsFormsOnlyAndGivesTheDockRectangle)
{
    QLabel notAForm("plain control");
    QRect rect;
    EXPECT_FALSE(form->bottomPanel()->SiteDockOver(&notAForm, &rect));
    EXPECT_FALSE(form->rightPanel()->SiteDockOver(&notAForm, &rect));
    EXPECT_FALSE(form->pages()->dockOver(&notAForm, QPoint(), &rect));

    ASSERT_TRUE(form->bottomPanel()->SiteDockOver(script.get(), &rect));
    const QPoint origin = form->bottomPanel()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(rect, QRect(origin, QSize(form->bottomPanel()->width(), 300)));
    ASSERT_TRUE(form->leftPanel()->SiteDockOver(script.get(), &rect));
    const QPoint left = form->leftPanel()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(rect, QRect(left.x() + 1 - 458, left.y(), 458, form->leftPanel()->height()));
    ASSERT_TRUE(form->rightPanel()->SiteDockOver(script.get(), &rect));
    EXPECT_EQ(rect.width(), 458);
    EXPECT_EQ(rect.topLeft(), form->rightPanel()->mapToGlobal(QPoint(0, 0)));
}

TEST_F(Docking, EmptyPanelsKeepTheirPixelWhenTheSplitterIsDragged)
{
    EXPECT_FALSE(form->bottomPanel()->SiteDockCanResize(form->bottomPanel()->width(), 200, true));
    EXPECT_TRUE(form->bottomPanel()->SiteDockCanResize(form->bottomPanel()->width(), 1, true));
    EXPECT_FALSE(form->bottomSplitter()->resizePanelTo(200));
    EXPECT_EQ(form->bottomPanel()->height(), 1);

    script->dockInto(form->bottomPanel());
    settle();
    EXPECT_TRUE(form->bottomSplitter()->resizePanelTo(200));
    EXPECT_EQ(form->bottomPanel()->height(), 200);
    EXPECT_FALSE(form->bottomPanel()->SiteDockCanResize(form->bottomPanel()->width(), 150, false));
}

TEST_F(Docking, DraggingTheGripDocksAndUndocks)
{
    script->floatAt(QPoint(300, 300));
    settle();
    const QRect before = form->geometry();
    const QPoint grip = script->mapToGlobal(QPoint(5, 5));
    const QPoint overBottom = form->bottomPanel()->mapToGlobal(QPoint(100, 0));
    script->beginDrag(grip);
    script->dragTo(overBottom);
    EXPECT_FALSE(script->dragFeedback().isEmpty());
    script->endDrag(overBottom);
    settle();
    EXPECT_TRUE(form->bottomPanel()->holds(script.get()));
    EXPECT_EQ(form->height(), before.height() + 299);

    // Dragged away from the site, it floats again and the window shrinks back.
    const QPoint away = form->geometry().bottomRight() + QPoint(200, 200);
    script->beginDrag(script->mapToGlobal(QPoint(5, 5)));
    script->endDrag(away);
    settle();
    EXPECT_FALSE(script->isDocked());
    EXPECT_EQ(form->height(), before.height());
}

TEST_F(Docking, PageControlTakesTheWindowAsAPageWithTheStateImage)
{
    script->dockInto(form->pages());
    settle();
    ASSERT_EQ(form->pages()->count(), 2);
    EXPECT_EQ(form->pages()->tabText(1), "Script");
    EXPECT_EQ(form->tabImageIndex(1), 41);
    form->SetRecording(true);
    EXPECT_EQ(form->tabImageIndex(1), 43);
    EXPECT_FALSE(form->pages()->tabIcon(1).isNull());
    EXPECT_EQ(form->tabImageIndex(0), -1);
    script->floatAt(QPoint(10, 10));
    EXPECT_EQ(form->pages()->count(), 1);
}

TEST_F(Docking, TheConsolePageStillShowsTheWholeScreenWithTheScriptPageDocked)
{
    auto wholeScreenInView = [this] {
        QScrollArea* box = form->consoleScrollBox();
        return box->viewport()->width() >= form->consoleView()->width()
            && box->viewport()->height() >= form->consoleView()->height()
            && !box->horizontalScrollBar()->isVisible() && !box->verticalScrollBar()->isVisible();
    };
    ASSERT_TRUE(waitFor(wholeScreenInView));
    form->action(ActionId::aShowScript)->trigger();  // docked as the second page
    ASSERT_EQ(form->pages()->count(), 2);
    form->pages()->setCurrentIndex(0);
    EXPECT_TRUE(waitFor(wholeScreenInView)) << "viewport " << form->consoleScrollBox()->viewport()->width() << "x"
                                            << form->consoleScrollBox()->viewport()->height();
    // Out of the page control and back: refitted each time.
    form->scriptWindow()->floatAt(QPoint(20, 20));
    EXPECT_TRUE(waitFor(wholeScreenInView));
    form->scriptWindow()->dockInto(form->pages());
    form->pages()->setCurrentIndex(0);
    EXPECT_TRUE(waitFor(wholeScreenInView));
}
