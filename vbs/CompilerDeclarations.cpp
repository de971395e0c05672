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
        compileDefinitions(program.statements);
        return true;
    } catch (const Failure&) {
        error = m_error;
        return false;
    }
}

void Compiler::compileDefinitions(const ast::Block& statements)
{
    for (const ast::StmtPtr& s : statements) {
        if (s->kind == ast::StmtKind::Class) {
            compileClass(static_cast<const ast::ClassStmt&>(*s));
            continue;
        }
        if (s->kind != ast::StmtKind::Procedure)
            continue;
        auto& def = static_cast<const ast::ProcedureStmt&>(*s);
        compileProcedure(def, *m_globals.at(foldName(def.name)).proc);
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
        if (s->kind == ast::StmtKind::Class)
            declareClass(static_cast<const ast::ClassStmt&>(*s));
        if (s->kind != ast::StmtKind::Procedure)
            continue;
        auto& def = static_cast<const ast::ProcedureStmt&>(*s);
        auto proc = std::make_unique<Procedure>();
        proc->name = def.name;
        proc->displayName = def.name;
        proc->isFunction = def.isFunction;
        for (const ast::Param& p : def.params)
            proc->byRef.push_back(!p.byVal);
        Symbol sym{Symbol::Kind::Proc};
        sym.proc = proc.get();
        declare(m_globals, def.name, std::move(sym), def.namePos);
        m_out.procedures.push_back(std::move(proc));
    }
}

// A class: its variables and member procedures, and the checks VBScript makes of them.
void Compiler::declareClass(const ast::ClassStmt& c)
{
    auto def = makeRef<ClassDef>();
    def->name = c.name;
    ClassScope scope;
    scope.def = def.get();
    auto addMember = [&](const std::u16string& name, ast::Pos pos) -> int {
        int index = int(def->members.size());
        ClassMember m;
        m.name = name;
        def->members.push_back(std::move(m));
        def->byName.emplace(foldName(name), index);
        Symbol sym{Symbol::Kind::Member, index};
        declare(scope.symbols, name, std::move(sym), pos);
        return index;
    };
    for (size_t i = 0; i < c.fields.size(); ++i) {
        const ast::DimItem& item = c.fields[i];
        if (def->byName.count(foldName(item.name)))
            fail(err::NameRedefined, item.pos);
        int index = int(def->members.size());
        ClassMember m;
        m.name = item.name;
        m.isPublic = c.fieldPublic[i];
        m.field = def->fieldCount++;
        def->members.push_back(std::move(m));
        def->byName.emplace(foldName(item.name), index);
        declare(scope.symbols, item.name, Symbol{Symbol::Kind::Field, def->members.back().field}, item.pos);
        if (item.isArray)
            def->fieldArrays.push_back({def->members.back().field, dimCounts(item)});
    }
    for (const auto& member : c.members) {
        const ast::ProcedureStmt& d = *member;
        auto proc = std::make_unique<Procedure>();
        proc->name = d.name;
        proc->displayName = c.name + u"." + d.name;
        proc->owner = def.get();
        proc->isFunction = d.isFunction;
        for (const ast::Param& p : d.params)
            proc->byRef.push_back(!p.byVal);
        auto found = def->byName.find(foldName(d.name));
        int index = found == def->byName.end() ? addMember(d.name, d.namePos) : found->second;
        ClassMember& m = def->members[size_t(index)];
        bool property = d.procKind == ast::ProcKind::PropertyGet || d.procKind == ast::ProcKind::PropertyLet
            || d.procKind == ast::ProcKind::PropertySet;
        if (found != def->byName.end()) {
            // One name: a variable, a Sub or Function, or Property Get / Let / Set once each.
            bool taken = m.field >= 0 || !property || (m.get && !m.let && !m.set && !m.get->isFunction)
                || (d.procKind == ast::ProcKind::PropertyGet && m.get)
                || (d.procKind == ast::ProcKind::PropertyLet && m.let)
                || (d.procKind == ast::ProcKind::PropertySet && m.set);
            // A Sub or Function sharing its name with a property.
            for (const auto& other : c.members)
                if (other.get() != &d && equalsNoCase(other->name, d.name)
                    && (other->procKind == ast::ProcKind::Sub || other->procKind == ast::ProcKind::Function))
                    taken = true;
            if (taken)
                fail(err::NameRedefined, d.namePos);
        }
        if (d.isPublic)
            m.isPublic = true;
        else if (found == def->byName.end())
            m.isPublic = false;
        Procedure* p = proc.get();
        switch (d.procKind) {
        case ast::ProcKind::PropertyLet: m.let = p; break;
        case ast::ProcKind::PropertySet: m.set = p; break;
        default: m.get = p; break;
        }
        // Property Let and Set take the value after the Get's arguments.
        size_t getArgs = m.get ? m.get->byRef.size() : SIZE_MAX;
        for (Procedure* q : {m.let, m.set})
            if (q && getArgs != SIZE_MAX && property && q->byRef.size() != getArgs + 1)
                fail(err::InconsistentPropertyArgs, d.namePos);
        if (d.isDefault)
            def->defaultMember = index;
        if (d.procKind == ast::ProcKind::Sub && equalsNoCase(d.name, u"Class_Initialize"))
            def->initialize = p;
        if (d.procKind == ast::ProcKind::Sub && equalsNoCase(d.name, u"Class_Terminate"))
            def->terminate = p;
        m_memberProcs.emplace(&d, p);
        m_out.procedures.push_back(std::move(proc));
    }
    Symbol sym{Symbol::Kind::Class};
    sym.cls = def.get();
    declare(m_globals, c.name, std::move(sym), c.namePos);
    m_classes.emplace(foldName(c.name), std::move(scope));
    m_out.classes.push_back(std::move(def));
}

void Compiler::compileClass(const ast::ClassStmt& c)
{
    ClassScope& scope = m_classes.at(foldName(c.name));
    m_class = &scope;
    for (const auto& member : c.members)
        compileProcedure(*member, *m_memberProcs.at(member.get()));
    m_class = nullptr;
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
                // A text run later may declare a name the script already used undeclared.
                auto implicit = m_implicitGlobals.find(foldName(item.name));
                int slot = implicit != m_implicitGlobals.end() ? implicit->second : m_out.globalCount++;
                Symbol sym{Symbol::Kind::Global, slot};
                declare(m_globals, item.name, std::move(sym), item.pos);
                if (item.isArray)
                    m_out.globalArrays.push_back({slot, dimCounts(item)});
            }
        } else if (s.kind == ast::StmtKind::ReDim) {
            for (const ast::DimItem& item : static_cast<const ast::DimStmt&>(s).items)
                if (!m_globals.count(foldName(item.name)))
                    m_globals.emplace(foldName(item.name), Symbol{Symbol::Kind::Global, m_out.globalCount++});
        } else if (s.kind == ast::StmtKind::Const) {
            for (const ast::ConstItem& item : static_cast<const ast::ConstStmt&>(s).items) {
                Symbol sym{Symbol::Kind::Const};
                sym.value = constantValue(*item.value);
                auto implicit = m_implicitGlobals.find(foldName(item.name));
                if (implicit != m_implicitGlobals.end() && m_implicitConstants)
                    m_implicitConstants->push_back({implicit->second, sym.value});
                declare(m_globals, item.name, std::move(sym), item.pos);
            }
        }
    });
}

void Compiler::declareLocals(const ast::Block& block, ProcScope& scope)
{
    Procedure& proc = *scope.proc;
    // In a text that Execute runs inside a call, new variables live in the call's extras.
    auto newLocal = [&](const std::u16string& name) {
        if (m_extra)
            return Symbol{Symbol::Kind::Extra, extraSlot(foldName(name))};
        return Symbol{Symbol::Kind::Local, proc.localCount++};
    };
    forEachStatement(block, [&](const ast::Stmt& s) {
        if (s.kind == ast::StmtKind::Dim) {
            for (const ast::DimItem& item : static_cast<const ast::DimStmt&>(s).items) {
                if (m_extra && m_extra->names.count(foldName(item.name)))
                    fail(err::NameRedefined, item.pos);
                auto implicit = scope.implicit.find(foldName(item.name));
                Symbol sym = m_extra && implicit != scope.implicit.end() ? Symbol{Symbol::Kind::Local, implicit->second}
                                                                         : newLocal(item.name);
                int slot = sym.slot;
                bool extra = sym.kind == Symbol::Kind::Extra;
                declare(scope.symbols, item.name, std::move(sym), item.pos);
                if (item.isArray)
                    (extra ? *m_extraArrays : proc.arrays).push_back({slot, dimCounts(item)});
            }
        } else if (s.kind == ast::StmtKind::ReDim) {
            for (const ast::DimItem& item : static_cast<const ast::DimStmt&>(s).items) {
                std::u16string key = foldName(item.name);
                if (!scope.symbols.count(key) && !m_globals.count(key))
                    scope.symbols.emplace(key, newLocal(item.name));
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
    ProcScope* outer = m_scope;
    m_scope = &scope;
    proc.body = std::make_unique<qp::vbs::Block>();
    compileBlock(def.body, *proc.body);
    m_scope = outer;
    m_procScopes.emplace(&proc, std::move(scope));
}

}  // namespace qp::vbs
