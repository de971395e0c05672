// Texts compiled while the script runs: Execute, ExecuteGlobal, Eval; and GetRef.
#include "Builtins.h"
#include "Compiler.h"
#include "Errors.h"
#include "Parser.h"

namespace qp::vbs {

int Compiler::extraSlot(const std::u16string& key)
{
    auto [it, inserted] = m_extra->names.emplace(key, m_extra->values.size());
    if (inserted)
        m_extra->values.emplace_back();
    return int(it->second);
}

const Procedure* Compiler::globalProcedure(std::u16string_view name) const
{
    auto it = m_globals.find(foldName(name));
    if (it == m_globals.end() || it->second.kind != Symbol::Kind::Proc)
        return nullptr;
    return it->second.proc;
}

const ClassDef* Compiler::globalClass(std::u16string_view name) const
{
    auto it = m_classes.find(foldName(name));
    return it == m_classes.end() ? nullptr : it->second.def;
}

const Procedure* findProcedure(const Compiler& compiler, std::u16string_view name)
{
    return compiler.globalProcedure(name);
}

const ClassDef* findClass(const Compiler& compiler, std::u16string_view name)
{
    return compiler.globalClass(name);
}

bool Compiler::compileFragment(std::u16string_view text, bool expression, const Procedure* proc, FrameExtra* extra,
                               Fragment& out, SyntaxErrorInfo& error)
{
    ast::Program tree;
    ast::ExprPtr expr;
    if (expression ? !parseExpressionText(text, kFragmentNesting, expr, error)
                   : !parseText(text, kFragmentNesting, tree, error))
        return false;
    // The scope: a copy of the procedure's, with the variables earlier texts made in this call.
    ProcScope local;
    ClassScope* classScope = nullptr;
    if (proc) {
        local = m_procScopes.at(proc);
        for (const auto& [name, index] : extra->names)
            local.symbols.emplace(name, Symbol{Symbol::Kind::Extra, int(index)});
        if (proc->owner)
            for (auto& [name, scope] : m_classes)
                if (scope.def == proc->owner)
                    classScope = &scope;
    }
    struct Restore {
        Compiler& c;
        ProcScope* scope;
        ClassScope* cls;
        ~Restore()
        {
            c.m_scope = scope;
            c.m_class = cls;
            c.m_fragment = false;
            c.m_extra = nullptr;
            c.m_extraArrays = nullptr;
            c.m_implicitConstants = nullptr;
        }
    } restore{*this, m_scope, m_class};
    m_fragment = true;
    try {
        m_scope = proc ? &local : nullptr;
        m_class = classScope;
        m_extra = proc ? extra : nullptr;
        m_extraArrays = &out.extraArrays;
        m_implicitConstants = &out.implicitConstants;
        if (expression) {
            out.expression = compileExpr(*expr);
            return true;
        }
        // Procedures and classes belong to the script wherever the text runs.
        {
            ProcScope* s = m_scope;
            ClassScope* c = m_class;
            m_scope = nullptr;
            m_class = nullptr;
            declareProcedures(tree.statements);
            m_scope = s;
            m_class = c;
        }
        if (proc)
            declareLocals(tree.statements, local);
        else
            declareGlobals(tree.statements);
        compileBlock(tree.statements, out.body);
        FrameExtra* e = m_extra;
        m_scope = nullptr;
        m_class = nullptr;
        m_extra = nullptr;
        compileDefinitions(tree.statements);
        m_extra = e;
        return true;
    } catch (const Failure&) {
        error = m_error;
        return false;
    }
}

// ---- the built-ins

namespace {

enum class TextKind { Execute, ExecuteGlobal, Eval };

// Counts a text run like a call, so a text that runs itself (s = "Execute s") ends with
// 28 Out of stack space instead of exhausting the machine stack.
struct TextDepth {
    Context& ctx;
    explicit TextDepth(Context& c) : ctx(c) { ctx.enterCall(); }
    ~TextDepth() { ctx.leaveCall(); }
};

Variant runText(Context& ctx, const Variant& arg, TextKind kind)
{
    std::u16string text = stringArg(arg);
    TextDepth depth(ctx);
    Frame* frame = ctx.frame;
    const Procedure* proc = kind == TextKind::ExecuteGlobal ? nullptr : frame->proc;
    if (proc && !frame->extra)
        frame->extra = std::make_unique<FrameExtra>();
    FrameExtra* extra = proc ? frame->extra.get() : nullptr;
    size_t arrays = ctx.program.globalArrays.size();
    Fragment fragment;
    SyntaxErrorInfo error;
    bool ok = ctx.compiler->compileFragment(text, kind == TextKind::Eval, proc, extra, fragment, error);
    ctx.programGrew();
    if (!ok)
        throw ScriptException(ErrorInfo{error.number, std::u16string(kSyntaxSource), std::u16string(errorText(error.number))});
    createArrays(ctx.program.globalArrays, ctx.globals, ctx.limits.maxArrayElements, arrays);
    for (const auto& [slot, value] : fragment.implicitConstants)
        ctx.globals[size_t(slot)] = value;
    for (const ArrayDecl& a : fragment.extraArrays) {
        extra->values[size_t(a.slot)] = makeDimArray(a.counts, ctx.limits.maxArrayElements);
        extra->values[size_t(a.slot)].setFixedArray(!a.counts.empty());
    }
    static const std::u16string kNames[] = {u"Execute", u"ExecuteGlobal", u"Eval"};
    try {
        if (kind == TextKind::Eval)
            return fragment.expression->eval(ctx);
        fragment.body.exec(ctx);
        return Variant();
    } catch (ScriptException& e) {
        leaveProcedure(e, kNames[int(kind)]);
        throw;
    }
}

}  // namespace

Variant builtinExecute(Context& ctx, BuiltinArgs args) { return runText(ctx, args[0], TextKind::Execute); }
Variant builtinExecuteGlobal(Context& ctx, BuiltinArgs args) { return runText(ctx, args[0], TextKind::ExecuteGlobal); }
Variant builtinEval(Context& ctx, BuiltinArgs args) { return runText(ctx, args[0], TextKind::Eval); }

Variant builtinGetRef(Context& ctx, BuiltinArgs args)
{
    const Procedure* p = ctx.compiler->globalProcedure(stringArg(args[0]));
    if (!p)
        raise(err::InvalidCall);
    return Variant::fromObject(makeRef<ProcRef>(*p, ctx.link));
}

}  // namespace qp::vbs
