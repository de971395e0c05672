#include "CheckText.h"

namespace qp {

namespace {
constexpr std::string_view kCrLf = "\r\n";
}

std::string QuoteForScript(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out;
}

std::string CheckTextStatement(const CellRect& rect, std::string_view text)
{
    const std::string quoted = QuoteForScript(text);
    std::string s;
    if (rect.top == rect.bottom) {
        s = "If Not Console.CheckString(" + std::to_string(rect.left) + ", " + std::to_string(rect.top);
    } else {
        s = "If Not Console.CheckRect(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
            std::to_string(rect.right) + ", " + std::to_string(rect.bottom);
    }
    s += ", \"" + quoted + "\") Then";
    s += kCrLf;
    s += "  Err.Raise 1, \"\", \"Not found string '" + quoted + "'\"";
    s += kCrLf;
    s += "End If";
    s += kCrLf;
    return s;
}

std::string WindowCheckStatement(const CellRect& rect)
{
    const std::string coords = std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                               std::to_string(rect.right) + "," + std::to_string(rect.bottom);
    std::string s = "If Not CheckWindow(" + coords + ") Then";
    s += kCrLf;
    s += "  Err.Raise 1, \"\", \"Not found window " + coords + "\"";
    s += kCrLf;
    s += "End If";
    s += kCrLf;
    return s;
}

}  // namespace qp
