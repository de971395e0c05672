// Rules of the shell that need no window: key log texts, modifier prefixes, the dock tree's
// arithmetic and the action table.
#include "shell/ActionTable.h"
#include "shell/KeyLogWindow.h"
#include "desktop/GrowingDockTree.h"
#include "shell/ShiftState.h"
#include "desktop/ToolImages.h"

#include <gtest/gtest.h>

#include <set>

using namespace qp;

TEST(ShiftState, TextListsMembersInFixedOrder)
{
    struct Case {
        ShiftState shift;
        const char* text;
        const char* prefix;
    };
    const Case cases[] = {
        {0, "[]", ""},
        {ssShift, "[S]", "Shift"},
        {ssCtrl | ssShift, "[SC]", "Ctrl+Shift"},
        {ssAlt | ssCtrl, "[AC]", "Alt+Ctrl"},
        {ssAlt | ssCtrl | ssShift, "[SAC]", "Alt+Ctrl+Shift"},
        {ssLeft | ssRight | ssMiddle | ssDouble, "[LRMD]", ""},
        {0x7F, "[SACLRMD]", "Alt+Ctrl+Shift"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ShiftStateText(c.shift), c.text);
        EXPECT_EQ(ModifierPrefix(c.shift), c.prefix);
    }
}

TEST(KeyLog, LineHasKindHexCodeAndShiftState)
{
    EXPECT_EQ(KeyLogLine("Down", 0x41, ssShift), "Down 0041 [S]");
    EXPECT_EQ(KeyLogLine("Up", 0x0D, 0), "Up 000D []");
    EXPECT_EQ(KeyLogLine("Down", 0xBA, ssCtrl | ssAlt), "Down 00BA [AC]");
}

TEST(GrowingDockTree, TheGrownWindowStaysOnTheDesktop)
{
    const QRect area(0, 0, 1280, 1000);
    const std::pair<QRect, QRect> cases[] = {
        {QRect(-320, 223, 1111, 441), QRect(0, 223, 1111, 441)},    // grown past the left edge
        {QRect(600, 700, 654, 719), QRect(600, 281, 654, 719)},     // past the bottom
        {QRect(900, 50, 654, 441), QRect(626, 50, 654, 441)},       // past the right
        {QRect(100, 50, 1400, 1200), QRect(0, 0, 1400, 1200)},      // larger: top-left inside
        {QRect(10, 10, 100, 100), QRect(10, 10, 100, 100)},         // inside already
    };
    for (const auto& [form, kept] : cases)
        EXPECT_EQ(KeepOnDesktop(form, area), kept) << form.x() << "," << form.y();
}

TEST(GrowingDockTree, GrowAndShrinkFollowTheSiteAlignment)
{
    const QRect form(100, 50, 856, 568);
    const QSize big(4000, 4000);
    struct Case {
        const char* name;
        DockAlign align;
        QSize site;
        QSize wanted;
        QSize desktop;
        DockResize grown;
    };
    const Case cases[] = {
        {"bottom grows the height by the docked height less the pixel", DockAlign::Bottom, {856, 1}, {458, 300}, big,
         {QRect(100, 50, 856, 867), QSize(856, 300)}},
        {"top likewise", DockAlign::Top, {856, 1}, {458, 300}, big, {QRect(100, 50, 856, 867), QSize(856, 300)}},
        {"left moves the left edge by the new width", DockAlign::Left, {1, 500}, {458, 300}, big,
         {QRect(100 - 458, 50, 856 + 457, 568), QSize(458, 500)}},
        {"right keeps the left edge", DockAlign::Right, {1, 500}, {458, 300}, big,
         {QRect(100, 50, 856 + 457, 568), QSize(458, 500)}},
        {"a small desktop limits the height", DockAlign::Bottom, {856, 1}, {458, 300}, {1024, 700},
         {QRect(100, 50, 856, 700), QSize(856, 133)}},
        {"a small desktop limits the width", DockAlign::Right, {1, 500}, {458, 300}, {1000, 700},
         {QRect(100, 50, 1000, 568), QSize(145, 500)}},
        {"no alignment changes nothing", DockAlign::None, {10, 10}, {458, 300}, big, {form, QSize(10, 10)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DockResize grown = GrowForDock(c.align, form, c.site, c.wanted, c.desktop);
        EXPECT_EQ(grown, c.grown);
        // Undocking brings the window back to its size (the left edge one pixel off, as the
        // growth moved it by the full width).
        const DockResize shrunk = ShrinkAfterUndock(c.align, grown.form, grown.site);
        if (c.align == DockAlign::None)
            continue;
        EXPECT_EQ(shrunk.form.size(), form.size());
        const bool side = c.align == DockAlign::Left || c.align == DockAlign::Right;
        EXPECT_EQ(side ? shrunk.site.width() : shrunk.site.height(), 1);
        EXPECT_EQ(shrunk.form.left(), c.align == DockAlign::Left ? form.left() - 1 : form.left());
    }
}

TEST(ActionTable, EveryActionHasTextAndAPicture)
{
    std::set<std::string_view> names;
    for (const ActionSpec& a : kActionTable) {
        SCOPED_TRACE(std::string(a.name));
        EXPECT_TRUE(names.insert(a.name).second);
        EXPECT_FALSE(a.caption.empty());
        EXPECT_FALSE(a.hint.empty());
        EXPECT_NE(ToolImageThemeName(a.image), nullptr);
        EXPECT_FALSE(ToolImageFallback(a.image).isNull());
        EXPECT_FALSE(ToolImage(a.image).isNull());
    }
    EXPECT_EQ(actionSpec(ActionId::aSaveScript).caption, "SaveScript");
    EXPECT_EQ(actionSpec(ActionId::aAbout).hint, "Help & About the program");
    EXPECT_EQ(actionSpec(ActionId::aCheckWindow).image, 45);
    for (int tabImage : {kImageRecording, kImagePlaying, kImageIdle})
        EXPECT_FALSE(ToolImageFallback(tabImage).isNull());
    EXPECT_TRUE(ToolImage(-1).isNull());
}
