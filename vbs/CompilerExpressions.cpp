// Expressions of the syntax tree to executable expressions; name resolution.
#include "Builtins.h"
#include "Classes.h"
#include "Compiler.h"
#include "Errors.h"
#include "Operators.h"
#include "Text.h"

namespace qp::vbs {


const Compiler::Symbol* Compiler::lookup(const std::u16string& key) const
{
    if (m_scope) {
        auto it = m_scope->symbols.find(key);
        if (it != m_scope->symbols.end())
            return &it->second;
    }
    if (m_class) {
        auto it = m_class->symbols.find(key);
        if (it != m_class->symbols.end())
            return &it->second;
    }
    auto it = m_globals.find(key);
    return it == m_globals.end() ? nullptr : &it->second;
}

size_t Compiler::dynamicId(const std::u16string& name)
{
    auto [it, inserted] = m_dynamicIds.emplace(foldName(name), m_out.dynamicNames.size());
    if (inserted)
        m_out.dynamicNames.push_back(name);
    return it->second;
}

ExprPtr Compiler::compileName(const std::u16string& name, ExprList args, bool hasArgs, bool explicitCall)
{
    std::u16string key = foldName(name);
    auto indexed = [&](ExprPtr target) -> ExprPtr {
        if (!hasArgs)
            return target;
        return std::make_unique<IndexNode>(std::move(target), std::move(args));
    };
    if (const Symbol* s = lookup(key)) {
        switch (s->kind) {
        case Symbol::Kind::Global: return indexed(std::make_unique<GlobalVarNode>(s->slot, name));
        case Symbol::Kind::Local: return indexed(std::make_unique<LocalVarNode>(s->slot, name));
        case Symbol::Kind::Param: return indexed(std::make_unique<ParamNode>(s->slot, name));
        case Symbol::Kind::Const: return indexed(std::make_unique<ConstNode>(s->value, name));
        case Symbol::Kind::Result:
            if (hasArgs)
                return std::make_unique<CallProcNode>(*m_scope->proc, std::move(args));
            return std::make_unique<LocalVarNode>(s->slot, name);
        case Symbol::Kind::Proc: return std::make_unique<CallProcNode>(*s->proc, std::move(args));
        case Symbol::Kind::Field: return indexed(std::make_unique<FieldNode>(s->slot, name));
        case Symbol::Kind::Member: return std::make_unique<SelfMemberNode>(s->slot, name, std::move(args));
        case Symbol::Kind::Class: return std::make_unique<FailNode>(err::TypeMismatch, name);
        case Symbol::Kind::Extra: return indexed(std::make_unique<ExtraVarNode>(s->slot, name));
        }
    }
    if (key == u"err")
        return indexed(std::make_unique<ErrNode>());
    if (const Builtin* b = findBuiltin(name))
        return std::make_unique<CallBuiltinNode>(*b, std::move(args));
    Variant constant;
    if (findConstant(name, constant))
        return indexed(std::make_unique<ConstNode>(constant, name));
    for (size_t i = 0; i < m_items.size(); ++i)
        if (foldName(m_items[i].name) == key)
            return indexed(std::make_unique<NamedItemNode>(i, name));
    // Not defined by the script: a member of the context item, or an implicit variable
    // (global when global code uses it, else local to the procedure).
    using Storage = DynamicNameNode::Storage;
    Storage storage = Storage::Global;
    int slot;
    auto g = m_implicitGlobals.find(key);
    if (g != m_implicitGlobals.end()) {
        slot = g->second;
    } else if (!m_scope) {
        slot = m_out.globalCount++;
        m_implicitGlobals.emplace(key, slot);
    } else if (auto it = m_scope->implicit.find(key); it != m_scope->implicit.end()) {
        slot = it->second;
        storage = Storage::Local;
    } else if (m_extra) {
        slot = extraSlot(key);
        storage = Storage::Extra;
    } else {
        slot = m_scope->proc->localCount++;
        m_scope->implicit.emplace(key, slot);
        storage = Storage::Local;
    }
    return std::make_unique<DynamicNameNode>(name, dynamicId(name), storage, slot, std::move(args), hasArgs,
                                             explicitCall);
}

ExprPtr Compiler::withObject(ast::Pos pos)
{
    if (m_withSlots.empty())
        return std::make_unique<FailNode>(err::InvalidReference, u"");
    auto [local, slot] = m_withSlots.back();
    if (local && m_extra)
        return std::make_unique<ExtraVarNode>(slot, u"");
    if (local)
        return std::make_unique<LocalVarNode>(slot, u"");
    return std::make_unique<GlobalVarNode>(slot, u"");
}

ExprPtr Compiler::compileArg(const ast::Expr& e)
{
    ExprPtr node = compileExpr(e);
    if (e.parenthesized)
        return std::make_unique<ByValNode>(std::move(node));
    return node;
}

ExprList Compiler::compileArgs(const std::vector<ast::ExprPtr>& args)
{
    ExprList out;
    for (const ast::ExprPtr& a : args)
        out.push_back(compileArg(*a));
    return out;
}

ExprPtr Compiler::compileCall(const ast::Expr& e, bool explicitCall)
{
    // A statement: a bare name, a member, or a call with arguments.
    if (e.kind == ast::ExprKind::Name)
        return compileName(e.name, {}, false, explicitCall);
    if (e.kind != ast::ExprKind::Call)
        return compileExpr(e);
    const ast::Expr& target = *e.a;
    if (target.kind == ast::ExprKind::Name)
        return compileName(target.name, compileArgs(e.args), true, explicitCall);
    return compileExpr(e);
}

ExprPtr Compiler::compileExpr(const ast::Expr& e)
{
    switch (e.kind) {
    case ast::ExprKind::Literal: return std::make_unique<LiteralNode>(e.value);
    case ast::ExprKind::Nothing: return std::make_unique<LiteralNode>(Variant::nothing(), false);
    case ast::ExprKind::Missing: return std::make_unique<MissingNode>();
    case ast::ExprKind::New: {
        auto it = m_classes.find(foldName(e.name));
        if (it != m_classes.end())
            return std::make_unique<NewNode>(*it->second.def);
        if (equalsNoCase(e.name, u"RegExp"))
            return std::make_unique<NewRegExpNode>();
        return std::make_unique<LateNewNode>(e.name);
    }
    case ast::ExprKind::Me: return std::make_unique<MeNode>();
    case ast::ExprKind::Name: return compileName(e.name, {}, false, false);
    case ast::ExprKind::Member:
        return std::make_unique<MemberNode>(compileExpr(*e.a), e.name, ExprList{}, false,
                                            e.a->kind == ast::ExprKind::Me);
    case ast::ExprKind::WithMember:
        return std::make_unique<MemberNode>(withObject(e.pos), e.name, ExprList{}, false);
    case ast::ExprKind::Call: {
        const ast::Expr& target = *e.a;
        if (target.kind == ast::ExprKind::Name)
            return compileName(target.name, compileArgs(e.args), true, false);
        if (target.kind == ast::ExprKind::Member)
            return std::make_unique<MemberNode>(compileExpr(*target.a), target.name, compileArgs(e.args), true,
                                                target.a->kind == ast::ExprKind::Me);
        if (target.kind == ast::ExprKind::WithMember)
            return std::make_unique<MemberNode>(withObject(target.pos), target.name, compileArgs(e.args), true);
        return std::make_unique<IndexNode>(compileExpr(target), compileArgs(e.args));
    }
    case ast::ExprKind::Unary: return compileUnary(e);
    case ast::ExprKind::Binary: return compileBinary(e);
    }
    return nullptr;
}

ExprPtr Compiler::compileUnary(const ast::Expr& e)
{
    ExprPtr operand = compileExpr(*e.a);
    switch (e.op) {
    case ast::Op::Neg:
        if (operand->literal) {
            // A signed literal stays a literal (the comparison rules depend on it).
            try {
                auto* lit = static_cast<LiteralNode*>(operand.get());
                return std::make_unique<LiteralNode>(opNeg(lit->value()));
            } catch (const ScriptException&) {
            }
        }
        return makeNegate(std::move(operand));
    case ast::Op::Not: return makeNot(std::move(operand));
    default: return operand;  // unary plus
    }
}

ExprPtr Compiler::compileBinary(const ast::Expr& e)
{
    ExprPtr a = compileExpr(*e.a);
    ExprPtr b = compileExpr(*e.b);
    switch (e.op) {
    case ast::Op::Eq: return makeCompare(CmpOp::Eq, std::move(a), std::move(b));
    case ast::Op::Ne: return makeCompare(CmpOp::Ne, std::move(a), std::move(b));
    case ast::Op::Lt: return makeCompare(CmpOp::Lt, std::move(a), std::move(b));
    case ast::Op::Gt: return makeCompare(CmpOp::Gt, std::move(a), std::move(b));
    case ast::Op::Le: return makeCompare(CmpOp::Le, std::move(a), std::move(b));
    case ast::Op::Ge: return makeCompare(CmpOp::Ge, std::move(a), std::move(b));
    case ast::Op::Is: return makeBinary(BinOp::Is, std::move(a), std::move(b));
    case ast::Op::Imp: return makeBinary(BinOp::Imp, std::move(a), std::move(b));
    case ast::Op::Eqv: return makeBinary(BinOp::Eqv, std::move(a), std::move(b));
    case ast::Op::Xor: return makeBinary(BinOp::Xor, std::move(a), std::move(b));
    case ast::Op::Or: return makeBinary(BinOp::Or, std::move(a), std::move(b));
    case ast::Op::And: return makeBinary(BinOp::And, std::move(a), std::move(b));
    case ast::Op::Concat: return makeBinary(BinOp::Concat, std::move(a), std::move(b));
    case ast::Op::Add: return makeBinary(BinOp::Add, std::move(a), std::move(b));
    case ast::Op::Sub: return makeBinary(BinOp::Sub, std::move(a), std::move(b));
    case ast::Op::Mod: return makeBinary(BinOp::Mod, std::move(a), std::move(b));
    case ast::Op::IntDiv: return makeBinary(BinOp::IntDiv, std::move(a), std::move(b));
    case ast::Op::Mul: return makeBinary(BinOp::Mul, std::move(a), std::move(b));
    case ast::Op::Div: return makeBinary(BinOp::Div, std::move(a), std::move(b));
    case ast::Op::Pow: return makeBinary(BinOp::Pow, std::move(a), std::move(b));
    default: return nullptr;
    }
}

}  // namespace qp::vbs
