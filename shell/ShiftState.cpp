#include "ShiftState.h"

namespace qp {

std::string ShiftStateText(ShiftState shift)
{
    static constexpr struct {
        ShiftFlag flag;
        char letter;
    } kLetters[] = {{ssShift, 'S'}, {ssAlt, 'A'}, {ssCtrl, 'C'}, {ssLeft, 'L'},
                    {ssRight, 'R'}, {ssMiddle, 'M'}, {ssDouble, 'D'}};
    std::string text = "[";
    for (const auto& l : kLetters)
        if (shift & l.flag)
            text += l.letter;
    return text + "]";
}

std::string ModifierPrefix(ShiftState shift)
{
    std::string prefix;
    auto add = [&](const char* name) {
        if (!prefix.empty())
            prefix += '+';
        prefix += name;
    };
    if (shift & ssAlt)
        add("Alt");
    if (shift & ssCtrl)
        add("Ctrl");
    if (shift & ssShift)
        add("Shift");
    return prefix;
}

}  // namespace qp
