// Type tests (IsNumeric ... VarType) and the array functions Array, UBound, LBound.
#include "Builtins.h"
#include "Convert.h"
#include "DateTime.h"
#include "Errors.h"

namespace qp::vbs {

Variant builtinIsNumeric(Context&, BuiltinArgs args) { return Variant::fromBool(isNumericValue(args[0])); }
Variant builtinIsEmpty(Context&, BuiltinArgs args) { return Variant::fromBool(args[0].isEmpty()); }
Variant builtinIsNull(Context&, BuiltinArgs args) { return Variant::fromBool(args[0].isNull()); }
Variant builtinIsArray(Context&, BuiltinArgs args) { return Variant::fromBool(args[0].isArray()); }
Variant builtinIsObject(Context&, BuiltinArgs args) { return Variant::fromBool(args[0].isObject()); }

Variant builtinIsDate(Context&, BuiltinArgs args)
{
    const Variant& v = args[0];
    if (v.type() == VarType::Date)
        return Variant::fromBool(true);
    double serial;
    return Variant::fromBool(v.isString() && parseDateText(v.string(), serial) && validDate(serial));
}

Variant builtinTypeName(Context&, BuiltinArgs args) { return Variant::fromString(typeNameOf(args[0])); }
Variant builtinVarType(Context&, BuiltinArgs args) { return Variant::fromInteger(int16_t(varTypeOf(args[0]))); }

Variant builtinArray(Context&, BuiltinArgs args)
{
    std::vector<Variant> values;
    values.reserve(args.size());
    for (Variant& v : args) {
        if (v.type() == VarType::Error)
            raise(err::InvalidCall);
        values.push_back(std::move(v));
    }
    return makeArray(std::move(values));
}

namespace {

Variant bound(BuiltinArgs args, bool upper)
{
    if (!args[0].isArray())
        raise(err::TypeMismatch);
    const Array& a = *args[0].array();
    int32_t dim = isMissing(args, 1) ? 1 : longArg(args[1]);
    if (dim < 1 || size_t(dim) > a.dimensions())
        raise(err::SubscriptRange);
    return Variant::fromLong(upper ? a.upperBound(size_t(dim) - 1) : 0);
}

}  // namespace

Variant builtinUBound(Context&, BuiltinArgs args) { return bound(args, true); }
Variant builtinLBound(Context&, BuiltinArgs args) { return bound(args, false); }

}  // namespace qp::vbs
