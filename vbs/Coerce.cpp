#include "Coerce.h"

namespace qp::vbs {

// FIXME: placeholder until the interpreter's conversions land.
ErrorInfo runtimeError(int32_t number) { return {number, u"VBScript runtime error", u""}; }
Result<std::u16string> toString(const Variant& v)
{
    if (v.isString()) return v.string();
    if (v.isEmpty()) return std::u16string();
    return runtimeError(13);
}
Result<int32_t> toLong(const Variant& v)
{
    if (v.type() == VarType::Long) return v.longValue();
    if (v.type() == VarType::Integer) return int32_t(v.integerValue());
    return runtimeError(13);
}
Result<int16_t> toInteger(const Variant& v)
{
    if (v.type() == VarType::Integer) return v.integerValue();
    return runtimeError(13);
}
Result<double> toDouble(const Variant& v)
{
    if (v.type() == VarType::Double) return v.doubleValue();
    return runtimeError(13);
}
Result<bool> toBool(const Variant& v)
{
    if (v.type() == VarType::Boolean) return v.boolValue();
    return runtimeError(13);
}

}  // namespace qp::vbs
