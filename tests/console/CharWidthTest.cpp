// Character widths: the inline look-up (a shortcut below U+0300, a table for the rest of the
// Basic Multilingual Plane, utf8proc beyond it) must answer exactly what utf8proc's data says.
#include "console/CharWidth.h"

#include <gtest/gtest.h>
#include <utf8proc.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace qp {
namespace {

// The width straight from utf8proc, by the rules the terminal shows characters with:
// surrogates and code points beyond Unicode are shown as U+FFFD, unassigned code points
// (and non-characters) take a column of their own, nothing is wider than two.
int fromUtf8proc(char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 1;
    const auto cp = utf8proc_int32_t(c);
    const int w = utf8proc_charwidth(cp);
    if (w == 0 && utf8proc_category(cp) == UTF8PROC_CATEGORY_CN)
        return 1;
    return w < 0 ? 1 : std::min(w, 2);
}

// The table's pages are built on first use: threads meeting the same fresh pages at once
// (consoles read on threads of their own) all get utf8proc's answers. First in this file, so
// that the pages are still unbuilt when the test binary runs it first.
TEST(CharWidth, ThreadsMeetingFreshPagesAtOnceAgree)
{
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &mismatches] {
            for (char32_t step = 0; step < 0x10000; ++step) {
                const char32_t c = t % 2 ? 0xFFFF - step : (step * 40503u + char32_t(t) * 7919u) & 0xFFFF;
                if (c >= 0x20 && (c < 0x7F || c >= 0xA0) && CharWidth(c) != fromUtf8proc(c))
                    ++mismatches;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(CharWidth, KnownCharactersOfEachKind)
{
    struct Case {
        char32_t c;
        int width;
        const char* what;
    };
    const Case cases[] = {
        {U'A', 1, "ASCII"},
        {0x00E9, 1, "Latin-1 letter"},
        {0x00A0, 1, "no-break space"},
        {0x0300, 0, "combining grave accent, first of the combining block"},
        {0x036F, 0, "last of the combining block"},
        {0x0483, 0, "Cyrillic combining mark"},
        {0x20DD, 0, "enclosing circle"},
        {0xFE0F, 0, "variation selector"},
        {0x2500, 1, "box drawing"},
        {0x4E00, 2, "CJK ideograph"},
        {0xAC00, 2, "Hangul syllable"},
        {0xFF21, 2, "full-width letter"},
        {0x3000, 2, "ideographic space"},
        {0x1F600, 2, "emoji beyond the BMP"},
        {0x20000, 2, "CJK extension B"},
        {0x0378, 1, "unassigned in the BMP"},
        {0xFFFE, 1, "non-character"},
        {0xFFFF, 1, "non-character, last of the BMP"},
        {0xE000, 1, "private use"},
        {0xD800, 1, "surrogate"},
        {0x110000, 1, "beyond Unicode"},
        {0xE0100, 0, "variation selector supplement"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharWidth(c.c), c.width) << c.what << " U+" << std::hex << uint32_t(c.c);
}

TEST(CharWidth, EveryCodePointMatchesUtf8proc)
{
    // The shortcut below U+0300 holds only because nothing there is wide or joins.
    for (char32_t c = 0xA0; c < 0x300; ++c)
        ASSERT_EQ(fromUtf8proc(c), 1) << "U+" << std::hex << uint32_t(c);
    int mismatches = 0;
    for (char32_t c = 0x20; c <= 0x110000 && mismatches < 10; ++c) {
        if (c >= 0x7F && c < 0xA0)
            continue;  // C1 controls are never shown
        if (CharWidth(c) != fromUtf8proc(c)) {
            ++mismatches;
            ADD_FAILURE() << "U+" << std::hex << uint32_t(c) << ": " << CharWidth(c) << " against "
                          << fromUtf8proc(c);
        }
    }
}

}  // namespace
}  // namespace qp
