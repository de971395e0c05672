#include "display/ConsoleColors.h"

#include <gtest/gtest.h>

using namespace qp;

struct AttrCase {
    const char* name;
    uint16_t attr;
    Rgb fore;
    Rgb back;
};

TEST(ConsoleColors, AttributesGiveTheConsolePalette)
{
    const AttrCase cases[] = {
        {"grey on black", 0x07, {207, 207, 207}, {0, 0, 0}},
        {"black on light grey", 0x70, {0, 0, 0}, {191, 191, 191}},
        {"white on dark blue", 0x1F, {255, 255, 255}, {0, 0, 143}},
        {"intensity alone is black", 0x08, {0, 0, 0}, {0, 0, 0}},
        {"intense background alone is black", 0x80, {0, 0, 0}, {0, 0, 0}},
        {"bits above 7 change nothing", 0xFF1F, {255, 255, 255}, {0, 0, 143}},
        {"red is bit 2, blue bit 0", 0x41, {0, 0, 207}, {143, 0, 0}},
        {"bright yellow on bright white", 0xFE, {255, 255, 0}, {255, 255, 255}},
        {"dim cyan on dim magenta", 0x53, {0, 207, 207}, {143, 0, 143}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AttrToForeColor(c.attr), c.fore);
        EXPECT_EQ(AttrToBackColor(c.attr), c.back);
    }
}

TEST(ConsoleColors, PackedIsRedGreenBlue)
{
    EXPECT_EQ((Rgb{255, 255, 0}.packed()), 0xFFFF00u);
    EXPECT_EQ(AttrToBackColor(0x10).packed(), 0x00008Fu);
}
