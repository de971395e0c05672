// MsgBox and InputBox: the host shows them (the desktop asks; the headless player prints).
// CreateObject and GetObject.
#include "Builtins.h"
#include "Convert.h"
#include "Errors.h"

namespace qp::vbs {

namespace {

constexpr std::u16string_view kDefaultTitle = u"VBScript";

std::u16string optionalText(BuiltinArgs args, size_t i, std::u16string_view fallback)
{
    return isMissing(args, i) ? std::u16string(fallback) : stringArg(args[i]);
}

}  // namespace

Variant builtinMsgBox(Context& ctx, BuiltinArgs args)
{
    std::u16string text = stringArg(args[0]);
    int32_t buttons = isMissing(args, 1) ? 0 : longArg(args[1]);
    std::u16string title = optionalText(args, 2, kDefaultTitle);
    return Variant::fromInteger(int16_t(ctx.site.msgBox(text, buttons, title)));
}

Variant builtinInputBox(Context& ctx, BuiltinArgs args)
{
    std::u16string prompt = stringArg(args[0]);
    std::u16string title = optionalText(args, 1, kDefaultTitle);
    std::u16string initial = optionalText(args, 2, u"");
    return ctx.site.inputBox(prompt, title, initial);
}

// No automation classes can be created by name yet: the error names the class asked for.
Variant builtinCreateObject(Context&, BuiltinArgs args)
{
    throw ScriptException{runtimeErrorInfo(err::CantCreate), stringArg(args[0])};
}

Variant builtinGetObject(Context&, BuiltinArgs args)
{
    throw ScriptException{runtimeErrorInfo(err::CantCreate), isMissing(args, 1) ? std::u16string() : stringArg(args[1])};
}

}  // namespace qp::vbs
