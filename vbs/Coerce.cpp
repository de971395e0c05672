#include "Coerce.h"

#include "Convert.h"
#include "Errors.h"

namespace qp::vbs {

namespace {

template <class T, class F>
Result<T> guarded(F f)
{
    try {
        return f();
    } catch (const ScriptException& e) {
        return e.info;
    }
}

}  // namespace

ErrorInfo runtimeError(int32_t number)
{
    return runtimeErrorInfo(number);
}

Result<std::u16string> toString(const Variant& v)
{
    return guarded<std::u16string>([&] {
        if (v.isNull())
            raise(err::InvalidNull);
        return toStr(v);
    });
}

Result<int32_t> toLong(const Variant& v)
{
    return guarded<int32_t>([&] {
        if (v.isNull())
            raise(err::InvalidNull);
        return toLng(v);
    });
}

Result<int16_t> toInteger(const Variant& v)
{
    return guarded<int16_t>([&] {
        if (v.isNull())
            raise(err::InvalidNull);
        return toInt(v);
    });
}

Result<double> toDouble(const Variant& v)
{
    return guarded<double>([&] {
        if (v.isNull())
            raise(err::InvalidNull);
        return toDbl(v);
    });
}

Result<bool> toBool(const Variant& v)
{
    return guarded<bool>([&] {
        if (v.isNull())
            raise(err::InvalidNull);
        return toBoolean(v);
    });
}

}  // namespace qp::vbs
