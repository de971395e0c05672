// Values, variables and operators.
#include "Builtins.h"
#include "Convert.h"
#include "ErrObject.h"
#include "Nodes.h"
#include "Operators.h"

namespace qp::vbs {

void Expr::assign(Context&, Variant, bool) const
{
    raise(err::IllegalAssignment, name());
}

void ConstNode::assign(Context&, Variant, bool) const
{
    raise(err::IllegalAssignment, m_name);
}

Variant MissingNode::eval(Context&) const
{
    return missingArgument();
}

namespace {

// The value a Let assignment stores: an object's default value; Set wants an object.
Variant assignedValue(Variant value, bool isSet)
{
    if (isSet) {
        if (!value.isObject())
            raise(err::ObjectRequired);
        return value;
    }
    if (value.isObject())
        return valueOf(value);
    return value;
}

}  // namespace

void assignSlow(Variant& dst, Variant value, const std::u16string&)
{
    storeVariable(dst, assignedValue(std::move(value), false));
}

void VariableNode::assign(Context& ctx, Variant value, bool isSet) const
{
    if (isSet && !value.isObject())
        raise(err::ObjectRequired, m_name);
    storeVariable(*ref(ctx, nullptr), assignedValue(std::move(value), isSet));
}

Variant NamedItemNode::eval(Context& ctx) const
{
    Object* o = ctx.namedItem(m_index);
    if (!o)
        raise(err::ObjectRequired, m_name);
    return Variant::fromObject(Ref<Object>(o));
}

void NamedItemNode::assign(Context&, Variant, bool) const
{
    raise(err::IllegalAssignment, m_name);
}

Variant ErrNode::eval(Context& ctx) const
{
    return Variant::fromObject(ctx.errRef());
}

Variant FailNode::eval(Context&) const
{
    raise(m_number, m_name);
}

// ---- operators

namespace {

template <BinOp op>
class BinaryNode final : public Expr {
public:
    BinaryNode(ExprPtr a, ExprPtr b) : m_a(std::move(a)), m_b(std::move(b)) {}
    Variant eval(Context& ctx) const override
    {
        Variant a = m_a->eval(ctx);
        Variant b = m_b->eval(ctx);
        if constexpr (op == BinOp::Add || op == BinOp::Sub || op == BinOp::Mul) {
            int64_t x, y;
            bool wide;
            if (integerOperands(a, b, x, y, wide))
                return integerResult(op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y, wide);
        }
        return apply(ctx, a, b);
    }

private:
    static Variant apply(Context& ctx, const Variant& a, const Variant& b)
    {
        switch (op) {
        case BinOp::Add: return opAdd(a, b, ctx.limits.maxStringLength);
        case BinOp::Sub: return opSub(a, b);
        case BinOp::Mul: return opMul(a, b);
        case BinOp::Div: return opDiv(a, b);
        case BinOp::IntDiv: return opIntDiv(a, b);
        case BinOp::Mod: return opMod(a, b);
        case BinOp::Pow: return opPow(a, b);
        case BinOp::Concat: return opConcat(a, b, ctx.limits.maxStringLength);
        case BinOp::And: return opLogic(LogicOp::And, a, b);
        case BinOp::Or: return opLogic(LogicOp::Or, a, b);
        case BinOp::Xor: return opLogic(LogicOp::Xor, a, b);
        case BinOp::Eqv: return opLogic(LogicOp::Eqv, a, b);
        case BinOp::Imp: return opLogic(LogicOp::Imp, a, b);
        case BinOp::Is: return Variant::fromBool(sameObject(a, b));
        }
        return Variant();
    }

    ExprPtr m_a, m_b;
};

template <CmpOp op>
class CompareNode final : public Expr {
public:
    CompareNode(ExprPtr a, ExprPtr b) : m_a(std::move(a)), m_b(std::move(b)) {}
    Variant eval(Context& ctx) const override
    {
        Variant a = m_a->eval(ctx);
        Variant b = m_b->eval(ctx);
        int c;
        int64_t x, y;
        bool wide;
        if (integerOperands(a, b, x, y, wide)) {
            c = x < y ? -1 : x > y;
        } else {
            std::optional<int> r = compareValues(a, b, m_a->literal, m_b->literal);
            if (!r)
                return Variant::null();
            c = *r;
        }
        switch (op) {
        case CmpOp::Eq: return Variant::fromBool(c == 0);
        case CmpOp::Ne: return Variant::fromBool(c != 0);
        case CmpOp::Lt: return Variant::fromBool(c < 0);
        case CmpOp::Gt: return Variant::fromBool(c > 0);
        case CmpOp::Le: return Variant::fromBool(c <= 0);
        case CmpOp::Ge: return Variant::fromBool(c >= 0);
        }
        return Variant();
    }

private:
    ExprPtr m_a, m_b;
};

class NegateNode final : public Expr {
public:
    explicit NegateNode(ExprPtr a) : m_a(std::move(a)) {}
    Variant eval(Context& ctx) const override { return opNeg(m_a->eval(ctx)); }

private:
    ExprPtr m_a;
};

class NotNode final : public Expr {
public:
    explicit NotNode(ExprPtr a) : m_a(std::move(a)) {}
    Variant eval(Context& ctx) const override { return opNot(m_a->eval(ctx)); }

private:
    ExprPtr m_a;
};

template <BinOp op>
ExprPtr binaryNode(ExprPtr a, ExprPtr b)
{
    return std::make_unique<BinaryNode<op>>(std::move(a), std::move(b));
}

template <CmpOp op>
ExprPtr compareNode(ExprPtr a, ExprPtr b)
{
    return std::make_unique<CompareNode<op>>(std::move(a), std::move(b));
}

}  // namespace

ExprPtr makeBinary(BinOp op, ExprPtr a, ExprPtr b)
{
    switch (op) {
    case BinOp::Add: return binaryNode<BinOp::Add>(std::move(a), std::move(b));
    case BinOp::Sub: return binaryNode<BinOp::Sub>(std::move(a), std::move(b));
    case BinOp::Mul: return binaryNode<BinOp::Mul>(std::move(a), std::move(b));
    case BinOp::Div: return binaryNode<BinOp::Div>(std::move(a), std::move(b));
    case BinOp::IntDiv: return binaryNode<BinOp::IntDiv>(std::move(a), std::move(b));
    case BinOp::Mod: return binaryNode<BinOp::Mod>(std::move(a), std::move(b));
    case BinOp::Pow: return binaryNode<BinOp::Pow>(std::move(a), std::move(b));
    case BinOp::Concat: return binaryNode<BinOp::Concat>(std::move(a), std::move(b));
    case BinOp::And: return binaryNode<BinOp::And>(std::move(a), std::move(b));
    case BinOp::Or: return binaryNode<BinOp::Or>(std::move(a), std::move(b));
    case BinOp::Xor: return binaryNode<BinOp::Xor>(std::move(a), std::move(b));
    case BinOp::Eqv: return binaryNode<BinOp::Eqv>(std::move(a), std::move(b));
    case BinOp::Imp: return binaryNode<BinOp::Imp>(std::move(a), std::move(b));
    case BinOp::Is: return binaryNode<BinOp::Is>(std::move(a), std::move(b));
    }
    return nullptr;
}

ExprPtr makeCompare(CmpOp op, ExprPtr a, ExprPtr b)
{
    switch (op) {
    case CmpOp::Eq: return compareNode<CmpOp::Eq>(std::move(a), std::move(b));
    case CmpOp::Ne: return compareNode<CmpOp::Ne>(std::move(a), std::move(b));
    case CmpOp::Lt: return compareNode<CmpOp::Lt>(std::move(a), std::move(b));
    case CmpOp::Gt: return compareNode<CmpOp::Gt>(std::move(a), std::move(b));
    case CmpOp::Le: return compareNode<CmpOp::Le>(std::move(a), std::move(b));
    case CmpOp::Ge: return compareNode<CmpOp::Ge>(std::move(a), std::move(b));
    }
    return nullptr;
}

ExprPtr makeNegate(ExprPtr a)
{
    return std::make_unique<NegateNode>(std::move(a));
}

ExprPtr makeNot(ExprPtr a)
{
    return std::make_unique<NotNode>(std::move(a));
}

}  // namespace qp::vbs
