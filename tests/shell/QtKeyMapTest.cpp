// Qt key events as the layout's key codes, on the offscreen platform (no native scan
// codes: the key is told by Qt's key code).
#include "shell/QtKeyMap.h"
#include "keys/VirtualKeys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace qp;

TEST(QtKeyMap, KeysGiveTheLayoutsCodes)
{
    struct Case {
        const char* name;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        uint16_t vkey;
        ShiftState shift;
    };
    const Case cases[] = {
        {"letter", Qt::Key_A, Qt::NoModifier, 0x41, 0},
        {"shifted letter", Qt::Key_A, Qt::ShiftModifier, 0x41, ssShift},
        {"ctrl+c", Qt::Key_C, Qt::ControlModifier, 0x43, ssCtrl},
        {"digit", Qt::Key_1, Qt::NoModifier, 0x31, 0},
        {"shift+1 arrives as '!'", Qt::Key_Exclam, Qt::ShiftModifier, 0x31, ssShift},
        {"shift+2 arrives as '@'", Qt::Key_At, Qt::ShiftModifier, 0x32, ssShift},
        {"semicolon", Qt::Key_Semicolon, Qt::NoModifier, VK_OEM_1, 0},
        {"colon", Qt::Key_Colon, Qt::ShiftModifier, VK_OEM_1, ssShift},
        {"space", Qt::Key_Space, Qt::NoModifier, VK_SPACE, 0},
        {"enter", Qt::Key_Return, Qt::NoModifier, VK_RETURN, 0},
        {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN, 0},
        {"tab", Qt::Key_Tab, Qt::NoModifier, VK_TAB, 0},
        {"shift+tab", Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB, ssShift},
        {"up", Qt::Key_Up, Qt::NoModifier, VK_UP, 0},
        {"shift+up", Qt::Key_Up, Qt::ShiftModifier, VK_UP, ssShift},
        {"page down", Qt::Key_PageDown, Qt::NoModifier, VK_NEXT, 0},
        {"escape", Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE, 0},
        {"f5", Qt::Key_F5, Qt::NoModifier, uint16_t(VK_F1 + 4), 0},
        {"alt+f12", Qt::Key_F12, Qt::AltModifier, VK_F12, ssAlt},
        {"keypad 8", Qt::Key_8, Qt::KeypadModifier, uint16_t(VK_NUMPAD0 + 8), 0},
        {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, VK_ADD, 0},
        {"keypad home (Num Lock off)", Qt::Key_Home, Qt::KeypadModifier, VK_HOME, 0},
        {"caps lock", Qt::Key_CapsLock, Qt::NoModifier, VK_CAPITAL, 0},
        {"a key the layout does not have", Qt::Key_Eacute, Qt::NoModifier, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QKeyEvent e(QEvent::KeyPress, c.qtKey, c.modifiers);
        const MappedKey k = MapKeyEvent(e, true);
        EXPECT_EQ(k.vkey, c.vkey);
        EXPECT_EQ(k.shift, c.shift);
    }
}

TEST(QtKeyMap, ModifierKeysCountAsHeldInTheirOwnPress)
{
    // Platforms differ in whether a modifier's own press reports it as held.
    const QKeyEvent ctrlDown(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(MapKeyEvent(ctrlDown, true).vkey, VK_CONTROL);
    EXPECT_EQ(MapKeyEvent(ctrlDown, true).shift, ssCtrl);
    const QKeyEvent shiftWithCtrl(QEvent::KeyPress, Qt::Key_Shift, Qt::ControlModifier);
    EXPECT_EQ(MapKeyEvent(shiftWithCtrl, true).shift, ssCtrl | ssShift);
    const QKeyEvent ctrlUp(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(MapKeyEvent(ctrlUp, false).shift, 0);
    const QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_EQ(MapKeyEvent(altDown, true).shift, ssAlt);
}

TEST(QtKeyMap, MouseButtonsJoinTheShiftState)
{
    EXPECT_EQ(ShiftStateFor(Qt::ShiftModifier, Qt::LeftButton), ssShift | ssLeft);
    EXPECT_EQ(ShiftStateFor(Qt::NoModifier, Qt::RightButton | Qt::MiddleButton), ssRight | ssMiddle);
    EXPECT_EQ(ShiftStateFor(Qt::MetaModifier, Qt::NoButton), 0);
}
