// MsgBox and InputBox: the host shows them (the desktop asks; the headless player prints).
// CreateObject and GetObject.
#include "Builtins.h"
#include "Convert.h"
#include "Errors.h"
#include "ScriptObjects.h"
#include "Text.h"

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

// The engine's own classes, where the host allows them; any other name fails with 429,
// naming the class asked for.
Variant builtinCreateObject(Context& ctx, BuiltinArgs args)
{
    std::u16string progId = stringArg(args[0]);
    if (ctx.site.mayCreateObject(progId))
        if (ObjectRef o = createScriptObject(ctx, progId))
            return Variant::fromObject(std::move(o));
    throw ScriptException{runtimeErrorInfo(err::CantCreate), progId};
}

Variant builtinGetObject(Context&, BuiltinArgs args)
{
    throw ScriptException{runtimeErrorInfo(err::CantCreate), isMissing(args, 1) ? std::u16string() : stringArg(args[1])};
}

}  // namespace qp::vbs

namespace qp::vbs {

ObjectRef createScriptObject(Context& ctx, std::u16string_view progId)
{
    if (equalsNoCase(progId, u"Scripting.Dictionary"))
        return newDictionary();
    if (equalsNoCase(progId, u"VBScript.RegExp"))
        return newRegExp(ctx);
    if (equalsNoCase(progId, u"Scripting.FileSystemObject"))
        return newFileSystem(ctx);
    return {};
}

}  // namespace qp::vbs
