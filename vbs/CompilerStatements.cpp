// Statements of the syntax tree to executable statements.
#include "Compiler.h"
#include "Classes.h"
#include "Builtins.h"
#include "Errors.h"
#include "Text.h"

#include <algorithm>

namespace qp::vbs {


void Compiler::compileBlock(const ast::Block& in, qp::vbs::Block& out)
{
    out.mainText = !m_fragment;
    for (const ast::StmtPtr& s : in) {
        qp::vbs::StmtPtr node = compileStatement(*s);
        if (!node)
            continue;
        node->line = s->pos.line;
        node->col = s->pos.col;
        out.statements.push_back(std::move(node));
    }
}

int Compiler::newSlot(bool& local)
{
    local = m_scope != nullptr;
    if (local && m_extra) {
        m_extra->values.emplace_back();  // a hidden variable: no name
        return int(m_extra->values.size() - 1);
    }
    return local ? m_scope->proc->localCount++ : m_out.globalCount++;
}

qp::vbs::StmtPtr Compiler::compileStatement(const ast::Stmt& s)
{
    switch (s.kind) {
    case ast::StmtKind::Call: {
        auto& c = static_cast<const ast::CallStmt&>(s);
        return std::make_unique<ExprStmt>(compileCall(*c.call, c.explicitCall));
    }
    case ast::StmtKind::Assign: return compileAssign(static_cast<const ast::AssignStmt&>(s));
    case ast::StmtKind::Set: {
        auto& a = static_cast<const ast::AssignStmt&>(s);
        return std::make_unique<qp::vbs::AssignStmt>(compileExpr(*a.target), compileExpr(*a.value),
                                                    s.kind == ast::StmtKind::Set);
    }
    case ast::StmtKind::ReDim: return compileReDim(static_cast<const ast::DimStmt&>(s));
    case ast::StmtKind::Erase: return compileErase(static_cast<const ast::EraseStmt&>(s));
    case ast::StmtKind::If: return compileIf(static_cast<const ast::IfStmt&>(s));
    case ast::StmtKind::Select: return compileSelect(static_cast<const ast::SelectStmt&>(s));
    case ast::StmtKind::For: return compileFor(static_cast<const ast::ForStmt&>(s));
    case ast::StmtKind::ForEach: return compileForEach(static_cast<const ast::ForEachStmt&>(s));
    case ast::StmtKind::Do:
    case ast::StmtKind::While: return compileDo(static_cast<const ast::DoStmt&>(s));
    case ast::StmtKind::With: return compileWith(static_cast<const ast::WithStmt&>(s));
    case ast::StmtKind::Exit: {
        ast::ExitKind k = static_cast<const ast::ExitStmt&>(s).what;
        Flow f = k == ast::ExitKind::Do ? Flow::ExitDo : k == ast::ExitKind::For ? Flow::ExitFor : Flow::ExitProc;
        // Exit Sub, Function and Property clear Err.
        return std::make_unique<qp::vbs::ExitStmt>(f);
    }
    case ast::StmtKind::OnError:
        return std::make_unique<qp::vbs::OnErrorStmt>(static_cast<const ast::OnErrorStmt&>(s).resumeNext);
    case ast::StmtKind::Dim:
    case ast::StmtKind::Const:
    case ast::StmtKind::Procedure:
    case ast::StmtKind::Class:
    case ast::StmtKind::Stop:
    case ast::StmtKind::OptionExplicit:
        return nullptr;  // declarations act before the code runs
    }
    return nullptr;
}

bool Compiler::isVariable(const std::u16string& name) const
{
    const Symbol* s = lookup(foldName(name));
    if (!s) {
        // A name the script never declares is an implicit variable unless it is a built-in,
        // a constant, a named item or Err (or, at run time, a member of the context item,
        // which the append statement then treats the ordinary way).
        Variant constant;
        std::u16string key = foldName(name);
        if (key == u"err" || findBuiltin(name) || findConstant(name, constant))
            return false;
        for (const NamedItem& item : m_items)
            if (foldName(item.name) == key)
                return false;
        return true;
    }
    return s->kind == Symbol::Kind::Global || s->kind == Symbol::Kind::Local || s->kind == Symbol::Kind::Param
        || s->kind == Symbol::Kind::Result || s->kind == Symbol::Kind::Field || s->kind == Symbol::Kind::Extra;
}

namespace {

// Built-ins that act on more than their arguments: they show boxes, run script text,
// create objects or reseed the generator.
bool effectfulBuiltin(std::u16string_view name)
{
    for (std::u16string_view n : {u"MsgBox", u"InputBox", u"Eval", u"Execute", u"ExecuteGlobal", u"CreateObject",
                                  u"GetObject", u"Randomize"})
        if (equalsNoCase(n, name))
            return true;
    return false;
}

bool sameExpr(const ast::Expr& a, const ast::Expr& b)
{
    if (a.kind != b.kind || a.parenthesized != b.parenthesized || a.args.size() != b.args.size())
        return false;
    switch (a.kind) {
    case ast::ExprKind::Name:
    case ast::ExprKind::WithMember:
        return equalsNoCase(a.name, b.name);
    case ast::ExprKind::Member:
        return equalsNoCase(a.name, b.name) && sameExpr(*a.a, *b.a);
    case ast::ExprKind::Call:
        if (!sameExpr(*a.a, *b.a))
            return false;
        for (size_t i = 0; i < a.args.size(); ++i)
            if (!sameExpr(*a.args[i], *b.args[i]))
                return false;
        return true;
    case ast::ExprKind::Literal:
        return a.value.type() == b.value.type() && a.value.type() != VarType::String
            && a.value.type() != VarType::Double && a.value.type() != VarType::Date
            && (a.value.type() == VarType::Integer ? a.value.integerValue() == b.value.integerValue()
                : a.value.type() == VarType::Long  ? a.value.longValue() == b.value.longValue()
                                                   : false);
    case ast::ExprKind::Binary:
        return a.op == b.op && sameExpr(*a.a, *b.a) && sameExpr(*a.b, *b.b);
    default:
        return false;
    }
}

}  // namespace

// True when evaluating e cannot change a variable: no script procedure, no host member with
// arguments, no built-in that runs script text.
bool Compiler::sideEffectFree(const ast::Expr& e) const
{
    switch (e.kind) {
    case ast::ExprKind::Literal:
    case ast::ExprKind::Nothing: return true;
    case ast::ExprKind::Name: {
        if (const Symbol* sym = lookup(foldName(e.name)))
            return sym->kind != Symbol::Kind::Proc && sym->kind != Symbol::Kind::Member;
        return !effectfulBuiltin(e.name);
    }
    case ast::ExprKind::Unary: return sideEffectFree(*e.a);
    case ast::ExprKind::Binary: return sideEffectFree(*e.a) && sideEffectFree(*e.b);
    case ast::ExprKind::Call: {
        if (e.a->kind != ast::ExprKind::Name)
            return false;
        const Symbol* sym = lookup(foldName(e.a->name));
        bool element = sym && sym->kind != Symbol::Kind::Proc && sym->kind != Symbol::Kind::Result
            && sym->kind != Symbol::Kind::Member && sym->kind != Symbol::Kind::Class;
        if (!element && (sym || !findBuiltin(e.a->name) || effectfulBuiltin(e.a->name)))
            return false;
        for (const ast::ExprPtr& a : e.args)
            if (!sideEffectFree(*a))
                return false;
        return true;
    }
    default: return false;
    }
}

// The pieces of v = v & a & b ... when the statement can append in place: the target is a
// variable or an element of one, read and written through the same side-effect-free
// expression, and no piece can change it meanwhile.
bool Compiler::appendPieces(const ast::Expr& target, const ast::Expr& value, std::vector<const ast::Expr*>& pieces) const
{
    if (target.kind == ast::ExprKind::Name) {
        if (!isVariable(target.name))
            return false;
    } else if (target.kind == ast::ExprKind::Call && target.a->kind == ast::ExprKind::Name) {
        const Symbol* sym = lookup(foldName(target.a->name));
        if (!isVariable(target.a->name) || (sym && sym->kind == Symbol::Kind::Result))
            return false;
        for (const ast::ExprPtr& a : target.args)
            if (!sideEffectFree(*a) || a->kind == ast::ExprKind::Missing)
                return false;
    } else if (target.kind == ast::ExprKind::Member) {
        // obj.s = obj.s & x: the object is read once instead of twice.
        const ast::Expr& object = *target.a;
        if (object.kind != ast::ExprKind::Me && !(object.kind == ast::ExprKind::Name && isVariable(object.name)))
            return false;
    } else {
        return false;
    }
    const ast::Expr* v = &value;
    while (v->kind == ast::ExprKind::Binary && v->op == ast::Op::Concat && !v->parenthesized) {
        if (!sideEffectFree(*v->b))
            return false;
        pieces.push_back(v->b.get());
        v = v->a.get();
    }
    if (pieces.empty() || !sameExpr(*v, target))
        return false;
    std::reverse(pieces.begin(), pieces.end());
    return true;
}

qp::vbs::StmtPtr Compiler::compileAssign(const ast::AssignStmt& s)
{
    const ast::Expr& target = *s.target;
    const ast::Expr& value = *s.value;
    std::vector<const ast::Expr*> pieces;
    if (appendPieces(target, value, pieces)) {
        ExprList compiled;
        for (const ast::Expr* p : pieces)
            compiled.push_back(compileExpr(*p));
        return std::make_unique<AppendStmt>(compileExpr(target), std::move(compiled));
    }
    if (target.kind == ast::ExprKind::Name) {
        if (const Symbol* sym = lookup(foldName(target.name))) {
            switch (sym->kind) {
            case Symbol::Kind::Global:
                return std::make_unique<SlotAssignStmt<SlotKind::Global>>(sym->slot, compileExpr(value), target.name);
            case Symbol::Kind::Local:
            case Symbol::Kind::Result:
                return std::make_unique<SlotAssignStmt<SlotKind::Local>>(sym->slot, compileExpr(value), target.name);
            case Symbol::Kind::Param:
                return std::make_unique<SlotAssignStmt<SlotKind::Param>>(sym->slot, compileExpr(value), target.name);
            case Symbol::Kind::Field:
                return std::make_unique<FieldAssignStmt>(sym->slot, compileExpr(value), target.name);
            default:
                break;
            }
        }
    }
    return std::make_unique<qp::vbs::AssignStmt>(compileExpr(target), compileExpr(value), false);
}

qp::vbs::StmtPtr Compiler::compileIf(const ast::IfStmt& s)
{
    auto node = std::make_unique<qp::vbs::IfStmt>();
    for (const ast::IfBranch& b : s.branches) {
        qp::vbs::IfStmt::Branch branch;
        if (b.condition)
            branch.condition = compileExpr(*b.condition);
        compileBlock(b.body, branch.body);
        node->branches.push_back(std::move(branch));
    }
    return node;
}

qp::vbs::StmtPtr Compiler::compileSelect(const ast::SelectStmt& s)
{
    auto node = std::make_unique<qp::vbs::SelectStmt>();
    node->subject = compileExpr(*s.subject);
    for (const ast::CaseClause& c : s.cases) {
        qp::vbs::SelectStmt::Case clause;
        for (const ast::ExprPtr& v : c.values)
            clause.values.push_back(compileExpr(*v));
        compileBlock(c.body, clause.body);
        node->cases.push_back(std::move(clause));
    }
    return node;
}

qp::vbs::StmtPtr Compiler::compileFor(const ast::ForStmt& s)
{
    auto node = std::make_unique<qp::vbs::ForStmt>();
    node->counter = compileExpr(*s.counter);
    node->from = compileExpr(*s.from);
    node->to = compileExpr(*s.to);
    if (s.step)
        node->step = compileExpr(*s.step);
    compileBlock(s.body, node->body);
    return node;
}

qp::vbs::StmtPtr Compiler::compileForEach(const ast::ForEachStmt& s)
{
    auto node = std::make_unique<qp::vbs::ForEachStmt>();
    node->element = compileExpr(*s.element);
    node->group = compileExpr(*s.group);
    compileBlock(s.body, node->body);
    return node;
}

qp::vbs::StmtPtr Compiler::compileDo(const ast::DoStmt& s)
{
    auto node = std::make_unique<qp::vbs::DoStmt>();
    node->test = qp::vbs::DoStmt::Test(s.test);
    if (s.condition)
        node->condition = compileExpr(*s.condition);
    compileBlock(s.body, node->body);
    return node;
}

qp::vbs::StmtPtr Compiler::compileWith(const ast::WithStmt& s)
{
    auto node = std::make_unique<qp::vbs::WithStmt>();
    node->object = compileExpr(*s.object);
    bool local;
    int slot = newSlot(local);
    node->slot = local && m_extra ? ExprPtr(std::make_unique<ExtraVarNode>(slot, u""))
        : local                   ? ExprPtr(std::make_unique<LocalVarNode>(slot, u""))
                                  : ExprPtr(std::make_unique<GlobalVarNode>(slot, u""));
    m_withSlots.push_back({local, slot});
    compileBlock(s.body, node->body);
    m_withSlots.pop_back();
    return node;
}

qp::vbs::StmtPtr Compiler::compileReDim(const ast::DimStmt& s)
{
    std::vector<ReDimStmt::Item> items;
    for (const ast::DimItem& item : s.items) {
        ReDimStmt::Item it;
        it.target = compileName(item.name, {}, false, false);
        for (const ast::ExprPtr& b : item.bounds)
            it.bounds.push_back(compileExpr(*b));
        if (it.bounds.size() > Array::kMaxDimensions)
            fail(err::Syntax, item.pos);
        items.push_back(std::move(it));
    }
    return std::make_unique<ReDimStmt>(std::move(items), s.preserve);
}

qp::vbs::StmtPtr Compiler::compileErase(const ast::EraseStmt& s)
{
    ExprList targets;
    for (const ast::ExprPtr& t : s.targets)
        targets.push_back(compileExpr(*t));
    return std::make_unique<qp::vbs::EraseStmt>(std::move(targets));
}

}  // namespace qp::vbs
