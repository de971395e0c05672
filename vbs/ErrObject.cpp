#include "ErrObject.h"

#include "Convert.h"
#include "Errors.h"
#include "Text.h"

#include <array>

namespace qp::vbs {

namespace {

enum Member : DispId { Number = 0, Description, Source, HelpFile, HelpContext, Raise, Clear };

constexpr std::array<std::u16string_view, 7> kMembers = {
    u"Number", u"Description", u"Source", u"HelpFile", u"HelpContext", u"Raise", u"Clear"};

ErrorInfo wrongArgs()
{
    return {err::WrongArgs, std::u16string(kRuntimeSource), std::u16string(errorText(err::WrongArgs))};
}

bool missing(Args& args, size_t i)
{
    return i >= args.size() || args[i].type() == VarType::Error;
}

}  // namespace

ErrorInfo errorFromRaise(int32_t number, std::u16string source, std::u16string description,
                         bool haveSource, bool haveDescription)
{
    ErrorInfo info;
    info.number = number;
    info.source = haveSource ? std::move(source) : std::u16string(kRuntimeSource);
    if (haveDescription) {
        info.description = std::move(description);
    } else {
        std::u16string_view known = errorText(number);
        info.description = known.empty() ? std::u16string(u"Unknown runtime error") : std::u16string(known);
    }
    return info;
}

DispId ErrObject::dispId(std::u16string_view name)
{
    for (size_t i = 0; i < kMembers.size(); ++i)
        if (equalsNoCase(kMembers[i], name))
            return DispId(i);
    return kDispIdUnknown;
}

void ErrObject::set(const ErrorInfo& info)
{
    m_info = info;
}

void ErrObject::clear()
{
    m_info = {};
    m_helpFile.clear();
    m_helpContext = 0;
}

Result<Variant> ErrObject::raise(Args& args)
{
    if (args.empty() || args.size() > 5 || missing(args, 0))
        return wrongArgs();
    try {
        int32_t number = toLng(args[0]);
        if (number == 0)
            return ErrorInfo{err::InvalidCall, std::u16string(kRuntimeSource), std::u16string(errorText(err::InvalidCall))};
        bool haveSource = !missing(args, 1), haveDescription = !missing(args, 2);
        std::u16string source = haveSource ? toStr(args[1]) : std::u16string();
        std::u16string description = haveDescription ? toStr(args[2]) : std::u16string();
        if (!missing(args, 3))
            m_helpFile = toStr(args[3]);
        if (!missing(args, 4))
            m_helpContext = toLng(args[4]);
        return errorFromRaise(number, std::move(source), std::move(description), haveSource, haveDescription);
    } catch (const ScriptException& e) {
        return e.info;
    }
}

Result<Variant> ErrObject::invoke(DispId id, InvokeKind kind, Args& args)
{
    bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    try {
        switch (id) {
        case Number:
            if (put) { m_info.number = toLng(args[args.size() - 1]); return Variant(); }
            return args.empty() ? Result<Variant>(Variant::fromLong(m_info.number)) : wrongArgs();
        case Description:
            if (put) { m_info.description = toStr(args[args.size() - 1]); return Variant(); }
            return Variant::fromString(m_info.description);
        case Source:
            if (put) { m_info.source = toStr(args[args.size() - 1]); return Variant(); }
            return Variant::fromString(m_info.source);
        case HelpFile:
            if (put) { m_helpFile = toStr(args[args.size() - 1]); return Variant(); }
            return Variant::fromString(m_helpFile);
        case HelpContext:
            if (put) { m_helpContext = toLng(args[args.size() - 1]); return Variant(); }
            return Variant::fromLong(m_helpContext);
        case Raise:
            return put ? wrongArgs() : raise(args);
        case Clear:
            if (put || !args.empty())
                return wrongArgs();
            clear();
            return Variant();
        default:
            return ErrorInfo{err::NoSuchMember, std::u16string(kRuntimeSource), std::u16string(errorText(err::NoSuchMember))};
        }
    } catch (const ScriptException& e) {
        return e.info;
    }
}

}  // namespace qp::vbs
