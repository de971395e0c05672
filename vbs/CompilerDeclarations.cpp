// The declaration passes: procedures, global and local variables, constants.
#include "Builtins.h"
#include "Compiler.h"
#include "Errors.h"
#include "Operators.h"
#include "Text.h"

namespace qp::vbs {


std::u16string foldName(std::u16string_view name)
{
    std::u16string s(name);
    for (char16_t& c : s)
        c = foldCase(c);
    return s;
}

Compiler::Compiler(CompiledProgram& out, const std::vector<NamedItem>& items) : m_out(out), m_items(items) {}

void Compiler::fail(int32_t number, ast::Pos pos)
{
    m_error = {number, pos.line, pos.col};
    throw Failure{};
}

bool Compiler::compile(const ast::Program& program, SyntaxErrorInfo& error)
{
    try {
        m_out.optionExplicit = program.optionExplicit;
        declareProcedures(program.statements);
        declareGlobals(program.statements);
        compileBlock(program.statements, m_out.body);
        for (const ast::StmtPtr& s : program.statements) {
            if (s->kind != ast::StmtKind::Procedure)
                continue;
            auto& def = static_cast<const ast::ProcedureStmt&>(*s);
            compileProcedure(def, *m_globals.at(foldName(def.name)).proc);
        }
        return true;
    } catch (const Failure&) {
        error = m_error;
        return false;
    }
}

void Compiler::declare(Table& table, const std::u16string& name, Symbol symbol, ast::Pos pos)
{
    auto [it, inserted] = table.emplace(foldName(name), std::move(symbol));
    if (!inserted)
        fail(err::NameRedefined, pos);
}

void Compiler::declareProcedures(const ast::Block& statements)
{
    for (const ast::StmtPtr& s : statements) {
        if (s->kind != ast::StmtKind::Procedure)
            continue;
        auto& def = static_cast<const ast::ProcedureStmt&>(*s);
        auto proc = std::make_unique<Procedure>();
        proc->name = def.name;
        proc->isFunction = def.isFunction;
        for (const ast::Param& p : def.params)
            proc->byRef.push_back(!p.byVal);
        Symbol sym{Symbol::Kind::Proc};
        sym.proc = proc.get();
        declare(m_globals, def.name, std::move(sym), def.namePos);
        m_out.procedures.push_back(std::move(proc));
    }
}

std::vector<size_t> Compiler::dimCounts(const ast::DimItem& item)
{
    std::vector<size_t> counts;
    for (const ast::ExprPtr& b : item.bounds) {
        int32_t upper = b->value.type() == VarType::Integer ? b->value.integerValue() : b->value.longValue();
        counts.push_back(size_t(upper) + 1);
    }
    if (counts.size() > Array::kMaxDimensions)
        fail(err::Syntax, item.pos);
    return counts;
}

Variant Compiler::constantValue(const ast::Expr& e)
{
    if (e.kind == ast::ExprKind::Unary && e.op == ast::Op::Neg) {
        try {
            return opNeg(constantValue(*e.a));
        } catch (const ScriptException&) {
            fail(err::ExpectedLiteral, e.pos);
        }
    }
    if (e.kind == ast::ExprKind::Nothing)
        return Variant::nothing();
    return e.value;
}

namespace {

// Visits the statements of a block and of the blocks nested in it (not procedure bodies).
template <class F>
void forEachStatement(const ast::Block& block, F f)
{
    for (const ast::StmtPtr& s : block) {
        f(*s);
        switch (s->kind) {
        case ast::StmtKind::If:
            for (const ast::IfBranch& b : static_cast<const ast::IfStmt&>(*s).branches)
                forEachStatement(b.body, f);
            break;
        case ast::StmtKind::Select:
            for (const ast::CaseClause& c : static_cast<const ast::SelectStmt&>(*s).cases)
                forEachStatement(c.body, f);
            break;
        case ast::StmtKind::For: forEachStatement(static_cast<const ast::ForStmt&>(*s).body, f); break;
        case ast::StmtKind::ForEach: forEachStatement(static_cast<const ast::ForEachStmt&>(*s).body, f); break;
        case ast::StmtKind::Do:
        case ast::StmtKind::While: forEachStatement(static_cast<const ast::DoStmt&>(*s).body, f); break;
        case ast::StmtKind::With: forEachStatement(static_cast<const ast::WithStmt&>(*s).body, f); break;
        default: break;
        }
    }
}

}  // namespace

void Compiler::declareGlobals(const ast::Block& block)
{
    forEachStatement(block, [this](const ast::Stmt& s) {
        if (s.kind == ast::StmtKind::Dim) {
            for (const ast::DimItem& item : static_cast<const ast::DimStmt&>(s).items) {
                Symbol sym{Symbol::Kind::Global, m_out.globalCount++};
                declare(m_globals, item.name, std::move(sym), item.pos);
                if (item.isArray)
                    m_out.globalArrays.push_back({m_out.globalCount - 1, dimCounts(item)});
            }
        } else if (s.kind == ast::StmtKind::ReDim) {
            for (const ast::DimItem& item : static_cast<const ast::DimStmt&>(s).items)
                if (!m_globals.count(foldName(item.name)))
                    m_globals.emplace(foldName(item.name), Symbol{Symbol::Kind::Global, m_out.globalCount++});
        } else if (s.kind == ast::StmtKind::Const) {
            for (const ast::ConstItem& item : static_cast<const ast::ConstStmt&>(s).items) {
                Symbol sym{Symbol::Kind::Const};
                sym.value = constantValue(*item.value);
                declare(m_globals, item.name, std::move(sym), item.pos);
            }
        }
    });
}

void Compiler::declareLocals(const ast::Block& block, ProcScope& scope)
{
    Procedure& proc = *scope.proc;
    forEachStatement(block, [&](const ast::Stmt& s) {
        if (s.kind == ast::StmtKind::Dim) {
            for (const ast::DimItem& item : static_cast<const ast::DimStmt&>(s).items) {
                declare(scope.symbols, item.name, Symbol{Symbol::Kind::Local, proc.localCount++}, item.pos);
                if (item.isArray)
                    proc.arrays.push_back({proc.localCount - 1, dimCounts(item)});
            }
        } else if (s.kind == ast::StmtKind::ReDim) {
            for (const ast::DimItem& item : static_cast<const ast::DimStmt&>(s).items) {
                std::u16string key = foldName(item.name);
                if (!scope.symbols.count(key) && !m_globals.count(key))
                    scope.symbols.emplace(key, Symbol{Symbol::Kind::Local, proc.localCount++});
            }
        } else if (s.kind == ast::StmtKind::Const) {
            for (const ast::ConstItem& item : static_cast<const ast::ConstStmt&>(s).items) {
                Symbol sym{Symbol::Kind::Const};
                sym.value = constantValue(*item.value);
                declare(scope.symbols, item.name, std::move(sym), item.pos);
            }
        }
    });
}

void Compiler::compileProcedure(const ast::ProcedureStmt& def, Procedure& proc)
{
    ProcScope scope;
    scope.proc = &proc;
    for (size_t i = 0; i < def.params.size(); ++i)
        declare(scope.symbols, def.params[i].name, Symbol{Symbol::Kind::Param, int(i)}, def.params[i].pos);
    proc.localCount = int(def.params.size());
    if (def.isFunction) {
        proc.resultSlot = proc.localCount++;
        declare(scope.symbols, def.name, Symbol{Symbol::Kind::Result, proc.resultSlot}, def.namePos);
    }
    declareLocals(def.body, scope);
    m_scope = &scope;
    proc.body = std::make_unique<qp::vbs::Block>();
    compileBlock(def.body, *proc.body);
    m_scope = nullptr;
}

}  // namespace qp::vbs
