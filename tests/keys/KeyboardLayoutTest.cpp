#include "keys/KeyRecords.h"
#include "keys/KeyboardLayout.h"
#include "keys/KeysText.h"
#include "keys/VirtualKeys.h"

#include <gtest/gtest.h>

#include <string>

using namespace qp;

namespace {

constexpr uint32_t EXT = 1u << 24, EITHER = 1u << 25;
uint32_t lp(uint32_t scan, uint32_t flags = 0) { return scan << 16 | flags; }

}  // namespace

TEST(KeyboardLayout, KeyNamesByScanCode)
{
    struct Row { const char* name; uint32_t lParam; const char* text; };
    const Row rows[] = {
        {"upWithoutExtendedIsKeypad8", lp(0x48), "Num 8"},
        {"upExtended", lp(0x48, EXT), "Up"},
        {"deleteWithoutExtended", lp(0x53), "Num Del"},
        {"deleteExtended", lp(0x53, EXT), "Delete"},
        {"keypad5", lp(0x4C), "Num 5"},
        {"insertAsKeypad0", lp(0x52), "Num 0"},
        {"esc", lp(0x01), "Esc"},           {"backspace", lp(0x0E), "Backspace"},
        {"tab", lp(0x0F), "Tab"},           {"enter", lp(0x1C), "Enter"},
        {"keypadEnter", lp(0x1C, EXT), "Num Enter"},
        {"ctrl", lp(0x1D), "Ctrl"},         {"rightCtrl", lp(0x1D, EXT), "Right Ctrl"},
        {"rightCtrlEitherSide", lp(0x1D, EXT | EITHER), "Ctrl"},
        {"shift", lp(0x2A), "Shift"},       {"rightShift", lp(0x36), "Right Shift"},
        {"rightShiftEitherSide", lp(0x36, EITHER), "Shift"},
        {"alt", lp(0x38), "Alt"},           {"rightAlt", lp(0x38, EXT), "Right Alt"},
        {"space", lp(0x39), "Space"},       {"capsLock", lp(0x3A), "Caps Lock"},
        {"f1", lp(0x3B), "F1"},             {"f10", lp(0x44), "F10"},
        {"f11", lp(0x57), "F11"},           {"f12", lp(0x58), "F12"},
        {"numLock", lp(0x45), "Num Lock"},  {"scrollLock", lp(0x46), "Scroll Lock"},
        {"letter", lp(0x1E), "A"},          {"digit", lp(0x02), "1"},
        {"semicolon", lp(0x27), ";"},       {"backslash", lp(0x2B), "\\"},
        {"keypadStar", lp(0x37), "Num *"},  {"keypadSlash", lp(0x35, EXT), "Num /"},
        {"slash", lp(0x35), "/"},
        {"unknownScanCode", lp(0x7F), ""},  {"zero", lp(0), ""},
        {"extendedWithoutOwnName", lp(0x1E, EXT), "A"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(keyNameText(row.lParam), row.text);
    }
}

// What the recorder relies on: a navigation key's code, mapped to its scan code and named
// without the extended flag, gives the key-name table's keypad name with the same code.
TEST(KeyboardLayout, NavigationKeysRoundTripThroughTheirKeypadNames)
{
    for (uint16_t code : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_PRIOR, VK_NEXT,
                          VK_INSERT, VK_DELETE}) {
        SCOPED_TRACE(code);
        const std::string name = keyNameText(lp(mapVirtualKey(code, MAPVK_VK_TO_VSC)));
        EXPECT_EQ(name.rfind("Num ", 0), 0u) << name;
        EXPECT_EQ(KeyTextToVKey(name), code);
    }
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(keyNameText(lp(mapVirtualKey(vkFunction(n), MAPVK_VK_TO_VSC))), "F" + std::to_string(n));
}

TEST(KeyboardLayout, NameIntoABufferIsCutToItsSize)
{
    char16_t buffer[20];
    EXPECT_EQ(keyNameText(lp(0x5C, EXT), buffer, 20), 13);
    EXPECT_EQ(std::u16string(buffer), u"Right Windows");
    EXPECT_EQ(keyNameText(lp(0x5C, EXT), buffer, 6), 5);
    EXPECT_EQ(std::u16string(buffer), u"Right");
    EXPECT_EQ(keyNameText(lp(0x5C, EXT), buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(keyNameText(lp(0x5C, EXT), buffer, 0), 0);
    EXPECT_EQ(keyNameText(lp(0x5C, EXT), nullptr, 20), 0);
}

TEST(KeyboardLayout, MapVirtualKey)
{
    struct Row { const char* name; uint32_t code, type, result; };
    const Row rows[] = {
        {"upScan", VK_UP, MAPVK_VK_TO_VSC, 0x48},
        {"keypad8Scan", vkNumpad(8), MAPVK_VK_TO_VSC, 0x48},
        {"enterScan", VK_RETURN, MAPVK_VK_TO_VSC, 0x1C},
        {"shiftScan", VK_SHIFT, MAPVK_VK_TO_VSC, 0x2A},
        {"rightShiftScan", VK_RSHIFT, MAPVK_VK_TO_VSC, 0x36},
        {"f12Scan", vkFunction(12), MAPVK_VK_TO_VSC, 0x58},
        {"noKeyScan", VK_NONE, MAPVK_VK_TO_VSC, 0},
        {"letterChar", 'Q', MAPVK_VK_TO_CHAR, 'Q'},
        {"oemChar", VK_OEM_1, MAPVK_VK_TO_CHAR, ';'},
        {"enterChar", VK_RETURN, MAPVK_VK_TO_CHAR, '\r'},
        {"keypadChar", vkNumpad(3), MAPVK_VK_TO_CHAR, '3'},
        {"f1Char", vkFunction(1), MAPVK_VK_TO_CHAR, 0},
        {"upChar", VK_UP, MAPVK_VK_TO_CHAR, 0},
        {"keypadScanIsNavigation", 0x48, MAPVK_VSC_TO_VK, VK_UP},
        {"rightShiftNotSided", 0x36, MAPVK_VSC_TO_VK, VK_SHIFT},
        {"leftShiftSided", 0x2A, MAPVK_VSC_TO_VK_EX, VK_LSHIFT},
        {"rightShiftSided", 0x36, MAPVK_VSC_TO_VK_EX, VK_RSHIFT},
        {"rightCtrlSided", 0xE01D, MAPVK_VSC_TO_VK_EX, VK_RCONTROL},
        {"leftAltSided", 0x38, MAPVK_VSC_TO_VK_EX, VK_LMENU},
        {"scrollLock", 0x46, MAPVK_VSC_TO_VK, VK_SCROLL},
        {"unknownType", VK_UP, 9, 0},
        {"codeBeyondAByte", 0x126, MAPVK_VK_TO_VSC, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(mapVirtualKey(row.code, row.type), row.result);
    }
}

TEST(KeyboardLayout, ScanCodesOfKeyPresses)
{
    EXPECT_EQ(scanCodeToVKey(0x48, true, false), VK_UP);
    EXPECT_EQ(scanCodeToVKey(0x48, true, true), VK_UP);
    EXPECT_EQ(scanCodeToVKey(0x48, false, false), VK_UP);
    EXPECT_EQ(scanCodeToVKey(0x48, false, true), vkNumpad(8));
    EXPECT_EQ(scanCodeToVKey(0x53, false, true), VK_DECIMAL);
    EXPECT_EQ(scanCodeToVKey(0x4C, false, false), VK_CLEAR);
    EXPECT_EQ(scanCodeToVKey(0x1C, true, false), VK_RETURN);
    EXPECT_EQ(scanCodeToVKey(0x1D, true, false), VK_CONTROL);
    EXPECT_EQ(scanCodeToVKey(0x35, true, false), VK_DIVIDE);
    EXPECT_EQ(scanCodeToVKey(0x35, false, false), VK_OEM_2);
    EXPECT_EQ(scanCodeToVKey(0x10, false, false), 'Q');
    EXPECT_EQ(scanCodeToVKey(0x00, false, false), 0);
    EXPECT_EQ(scanCodeToVKey(0x7F, false, false), 0);
}

TEST(KeyboardLayout, KeyScanOfCharacters)
{
    EXPECT_EQ(vkKeyScan('a'), 0x0041);
    EXPECT_EQ(vkKeyScan('A'), 0x0141);
    EXPECT_EQ(vkKeyScan('"'), 0x01DE);
    EXPECT_EQ(vkKeyScan('~'), 0x01C0);
    EXPECT_EQ(vkKeyScan('+'), 0x01BB);
    EXPECT_EQ(vkKeyScan(0xE9), 0xFFFF);
    EXPECT_EQ(oemKeyScan('A'), 0x0001001Eu);
    EXPECT_EQ(oemKeyScan('a'), 0x0000001Eu);
    EXPECT_EQ(oemKeyScan(0x82), 0xFFFFFFFFu);
    EXPECT_EQ(oemKeyScan(0x1234), 0xFFFFFFFFu);
    // Every printable ASCII character has a key, and that key types it back.
    KeyboardState none{}, shift{};
    shift[VK_SHIFT] = 0x80;
    for (int c = 0x20; c < 0x7F; ++c) {
        SCOPED_TRACE(c);
        const uint16_t ks = vkKeyScan(uint8_t(c));
        ASSERT_NE(ks, 0xFFFF);
        char16_t out[2] = {};
        ASSERT_EQ(TranslateKey(ks & 0xFF, 0, (ks & 0x100) ? shift : none, out, 2, 0), 1);
        EXPECT_EQ(out[0], char16_t(c));
    }
}

TEST(KeyboardLayout, TranslateKeyWithKeyboardState)
{
    enum Mods { None = 0, Shift = 1, Ctrl = 2, Alt = 4, Caps = 8, RightShift = 16 };
    struct Row { const char* name; uint16_t vk; int mods; int count; char16_t c; };
    const Row rows[] = {
        {"letter", 'A', None, 1, 'a'},             {"shiftLetter", 'A', Shift, 1, 'A'},
        {"rightShiftLetter", 'A', RightShift, 1, 'A'},
        {"capsLetter", 'A', Caps, 1, 'A'},         {"capsShiftLetter", 'A', Caps | Shift, 1, 'a'},
        {"capsDigit", '1', Caps, 1, '1'},          {"shiftDigit", '1', Shift, 1, '!'},
        {"ctrlLetter", 'C', Ctrl, 1, 0x03},        {"ctrlShiftLetter", 'C', Ctrl | Shift, 1, 0x03},
        {"ctrlCapsLetter", 'C', Ctrl | Caps, 1, 0x03},
        {"ctrlDigit", '1', Ctrl, 0, 0},            {"ctrlShift2", '2', Ctrl | Shift, 1, 0x00},
        {"ctrlShift6", '6', Ctrl | Shift, 1, 0x1E}, {"ctrlShiftMinus", VK_OEM_MINUS, Ctrl | Shift, 1, 0x1F},
        {"ctrlBracket", VK_OEM_4, Ctrl, 1, 0x1B},  {"ctrlBackslash", VK_OEM_5, Ctrl, 1, 0x1C},
        {"altLetter", 'X', Alt, 1, 'x'},           {"ctrlAltLetter", 'X', Ctrl | Alt, 0, 0},
        {"space", VK_SPACE, None, 1, ' '},         {"ctrlSpace", VK_SPACE, Ctrl, 1, ' '},
        {"enter", VK_RETURN, None, 1, '\r'},       {"ctrlEnter", VK_RETURN, Ctrl, 1, '\n'},
        {"backspace", VK_BACK, None, 1, 0x08},     {"ctrlBackspace", VK_BACK, Ctrl, 1, 0x7F},
        {"tab", VK_TAB, None, 1, '\t'},            {"ctrlTab", VK_TAB, Ctrl, 0, 0},
        {"escape", VK_ESCAPE, None, 1, 0x1B},      {"keypad7", vkNumpad(7), None, 1, '7'},
        {"keypadStar", VK_MULTIPLY, None, 1, '*'}, {"up", VK_UP, None, 0, 0},
        {"f1", vkFunction(1), None, 0, 0},         {"shiftAlone", VK_SHIFT, Shift, 0, 0},
        {"capsLockKey", VK_CAPITAL, None, 0, 0},   {"unknownCode", 0xFF, None, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        KeyboardState state{};
        if (row.mods & Shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
        if (row.mods & RightShift) state[VK_RSHIFT] = 0x81;
        if (row.mods & Ctrl) state[VK_CONTROL] = 0x80;
        if (row.mods & Alt) state[VK_MENU] = 0x80;
        if (row.mods & Caps) state[VK_CAPITAL] = 0x01;
        char16_t out[2] = {u'?', u'?'};
        EXPECT_EQ(TranslateKey(row.vk, uint16_t(mapVirtualKey(row.vk, MAPVK_VK_TO_VSC)), state, out, 2, 0),
                  row.count);
        if (row.count > 0)
            EXPECT_EQ(out[0], row.c);
        else
            EXPECT_EQ(out[0], u'?');
    }
}

TEST(KeyboardLayout, TranslateKeyNeverWritesPastItsBuffer)
{
    KeyboardState state{};
    char16_t one[1] = {u'?'};
    EXPECT_EQ(TranslateKey('A', 0x1E, state, one, 1, 0), 1);
    EXPECT_EQ(one[0], u'a');
    EXPECT_EQ(TranslateKey('A', 0x1E, state, one, 0, 0), 0);
    EXPECT_EQ(TranslateKey('A', 0x1E, state, nullptr, 2, 0), 0);
}
