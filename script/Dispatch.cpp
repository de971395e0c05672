#include "Dispatch.h"

#include "vbs/Coerce.h"
#include "vbs/Errors.h"
#include "vbs/Text.h"

namespace qp {

vbs::DispId dispIdOf(const InterfaceInfo& iface, std::u16string_view name) {
    for (const MethodInfo& m : iface.methods) {
        const std::u16string wide(m.name.begin(), m.name.end());  // the names are ASCII
        if (vbs::equalsNoCase(wide, name))
            return m.dispId;
    }
    return vbs::kDispIdUnknown;
}

namespace {

vbs::Result<ArgValue> convertOne(const ParamInfo& param, const vbs::Variant& value) {
    switch (param.type) {
    case ParamType::Integer: {
        auto n = vbs::toLong(value);
        if (!n)
            return n.error();
        return ArgValue(n.value());
    }
    case ParamType::Text: {
        auto t = vbs::toString(value);
        if (!t)
            return t.error();
        return ArgValue(std::move(t).value());
    }
    case ParamType::Boolean:
    case ParamType::Variant:
        break;
    }
    return ArgValue();
}

}  // namespace

vbs::Result<std::vector<ArgValue>> convertArguments(const MethodInfo& method, vbs::InvokeKind kind,
                                                    const vbs::Args& args) {
    if (kind == vbs::InvokeKind::PropertyPut || kind == vbs::InvokeKind::PropertyPutRef)
        return vbs::runtimeError(vbs::err::NoSuchMember);
    if (args.size() != method.argumentCount())
        return vbs::runtimeError(vbs::err::WrongArgs);
    std::vector<ArgValue> values;
    values.reserve(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        const ParamInfo& param = method.params[i];
        if (param.dir != ParamDir::In) {
            values.emplace_back();
            continue;
        }
        auto v = convertOne(param, args[i]);
        if (!v)
            return v.error();
        values.push_back(std::move(v).value());
    }
    return values;
}

vbs::Result<std::vector<ArgValue>> consoleArguments(const MethodInfo& method, vbs::InvokeKind kind,
                                                    vbs::Args& args) {
    if (method.dispId == dispid::ReadText && args.size() == 5)
        args.set(4, vbs::Variant());
    return convertArguments(method, kind, args);
}

}  // namespace qp
