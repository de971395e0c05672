#include "QtKeyMap.h"

#include "KeyBridge.h"
#include "keys/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <array>

namespace qp {

namespace {

struct QtKeyEntry {
    int qtKey;
    uint16_t vkey;
};

// Keys that are not characters, by Qt's key code.
constexpr std::array<QtKeyEntry, 31> kSpecialKeys = {{
    {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_SysReq, VK_SNAPSHOT}, {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Home, VK_HOME}, {Qt::Key_End, VK_END}, {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
    {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Meta, VK_LWIN}, {Qt::Key_Super_L, VK_LWIN}, {Qt::Key_Super_R, VK_RWIN},
    {Qt::Key_Menu, VK_APPS},
}};

// Keys of the numeric keypad that give characters.
constexpr std::array<QtKeyEntry, 7> kKeypadKeys = {{
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD}, {Qt::Key_Minus, VK_SUBTRACT},
    {Qt::Key_Period, VK_DECIMAL}, {Qt::Key_Comma, VK_DECIMAL}, {Qt::Key_Slash, VK_DIVIDE},
    {Qt::Key_Enter, VK_RETURN},
}};

template <size_t N>
uint16_t lookup(const std::array<QtKeyEntry, N>& table, int qtKey)
{
    for (const auto& e : table)
        if (e.qtKey == qtKey)
            return e.vkey;
    return 0;
}

// Set-1 scan codes of the main block that X11 reports as evdev code + 8. The keypad
// (0x37, 0x47-0x53) is left to Qt's key code, which knows about Num Lock.
bool isMainBlockScanCode(uint32_t scan)
{
    if (scan == 0 || scan > 0x58)
        return false;
    if (scan == 0x37 || (scan >= 0x47 && scan <= 0x53))
        return false;
    return true;
}

uint16_t modifierKeyFlag(uint16_t vkey)
{
    switch (vkey) {
    case VK_SHIFT: return ssShift;
    case VK_CONTROL: return ssCtrl;
    case VK_MENU: return ssAlt;
    default: return 0;
    }
}

}  // namespace

uint16_t VKeyForQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return uint16_t(VK_NUMPAD0 + (qtKey - Qt::Key_0));
        if (const uint16_t v = lookup(kKeypadKeys, qtKey))
            return v;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return uint16_t(VK_F1 + (qtKey - Qt::Key_F1));
    if (const uint16_t v = lookup(kSpecialKeys, qtKey))
        return v;
    if (qtKey == Qt::Key_Space)
        return VK_SPACE;
    // Printable ASCII: Qt's code is the character (upper-case for letters); the layout
    // knows the key that types it.
    if (qtKey > 0x20 && qtKey < 0x7F) {
        const uint16_t v = keybridge::VKeyForChar(char(qtKey));
        return v == 0xFF ? 0 : v;
    }
    return 0;
}

ShiftState ShiftStateFor(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    ShiftState s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= ssShift;
    if (modifiers & Qt::AltModifier)
        s |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        s |= ssCtrl;
    if (buttons & Qt::LeftButton)
        s |= ssLeft;
    if (buttons & Qt::RightButton)
        s |= ssRight;
    if (buttons & Qt::MiddleButton)
        s |= ssMiddle;
    return s;
}

MappedKey MapKeyEvent(const QKeyEvent& event, bool press)
{
    MappedKey key;
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    const uint32_t native = event.nativeScanCode();
    if (QGuiApplication::platformName() == QLatin1String("xcb") && native > 8 && isMainBlockScanCode(native - 8))
        key.vkey = keybridge::VKeyForScanCode(uint16_t(native - 8));
    if (key.vkey == 0)
        key.vkey = VKeyForQtKey(event.key(), keypad);

    key.shift = ShiftStateFor(event.modifiers(), QGuiApplication::mouseButtons());
    // A modifier key counts as held in its own press and as let go in its own release,
    // whatever the platform reports with the event.
    if (const uint16_t own = modifierKeyFlag(key.vkey)) {
        if (press)
            key.shift |= own;
        else
            key.shift &= ~own;
    }
    return key;
}

}  // namespace qp
