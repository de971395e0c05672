// Statements: blocks, assignment, ReDim and Erase, the control structures.
#include "Convert.h"
#include "Nodes.h"
#include "Operators.h"
#include "ScriptObjects.h"

#include <new>

namespace qp::vbs {

namespace {

void stamp(ScriptException& e, const Stmt& s, bool mainText)
{
    if (e.line < 0 && mainText) {
        e.line = s.line;
        e.col = s.col;
    }
    if (e.frameLine < 0) {
        e.frameLine = s.line;
        e.frameCol = s.col;
    }
}

// The line of the statement running on this thread, for CurrentStatementLine.
thread_local int t_statementLine = -1;

// Gives the enclosing block its line back when a block (a procedure's body) ends.
struct StatementLineScope {
    int saved = t_statementLine;
    ~StatementLineScope() { t_statementLine = saved; }
};

}  // namespace

int CurrentStatementLine() noexcept
{
    return t_statementLine;
}

Flow Block::exec(Context& ctx) const
{
    StatementLineScope lineScope;
    for (const StmtPtr& s : statements) {
        t_statementLine = s->line;
        try {
            ctx.tick();
            Flow f = s->exec(ctx);
            if (f != Flow::Normal)
                return f;
        } catch (ScriptException& e) {
            stamp(e, *s, mainText);
            if (!ctx.frame->resumeNext)
                throw;
            ctx.setError(e.info);
        } catch (const std::bad_alloc&) {
            ScriptException e{{err::OutOfMemory, std::u16string(kRuntimeSource), std::u16string(errorText(err::OutOfMemory))}, {}};
            stamp(e, *s, mainText);
            if (!ctx.frame->resumeNext)
                throw e;
            ctx.setError(e.info);
        }
    }
    return Flow::Normal;
}

Flow ExprStmt::exec(Context& ctx) const
{
    m_expr->call(ctx);
    return Flow::Normal;
}

Flow AssignStmt::exec(Context& ctx) const
{
    m_target->assign(ctx, m_value->eval(ctx), m_set);
    return Flow::Normal;
}

Flow AppendStmt::exec(Context& ctx) const
{
    size_t n = m_pieces.size();
    Variant inline_[4];
    const Variant* piecesInline[4];
    std::vector<Variant> many;
    std::vector<const Variant*> manyPieces;
    Variant* values = inline_;
    const Variant** pieces = piecesInline;
    if (n > 4) {
        many.resize(n);
        manyPieces.resize(n);
        values = many.data();
        pieces = manyPieces.data();
    }
    bool plain = true;
    for (size_t i = 0; i < n; ++i) {
        pieces[i] = m_pieces[i]->constant();  // literals are read in place
        if (!pieces[i]) {
            values[i] = m_pieces[i]->eval(ctx);
            pieces[i] = &values[i];
        }
        plain = plain && !pieces[i]->isObject() && !pieces[i]->isArray();
    }
    Variant* dst = plain ? m_target->appendTarget(ctx) : nullptr;
    if (!dst || dst->isObject() || dst->isArray()) {
        // Reading the target or a piece's default value may run script code: the ordinary way.
        Variant r = m_target->eval(ctx);
        for (size_t i = 0; i < n; ++i)
            r = opConcat(r, *pieces[i], ctx.limits.maxStringLength);
        m_target->assign(ctx, std::move(r), false);
        return Flow::Normal;
    }
    StringData* data = dst->isString() ? dst->stringData() : nullptr;
    if (data && data->unique()) {
        std::u16string& text = data->mutableText();
        size_t before = text.size();
        for (size_t i = 0; i < n; ++i)
            appendText(text, *pieces[i]);
        if (text.size() > ctx.limits.maxStringLength || !data->recount()) {
            text.resize(before);
            raise(err::OutOfMemory);
        }
        return Flow::Normal;
    }
    Variant r = *dst;
    for (size_t i = 0; i < n; ++i)
        r = opConcat(r, *pieces[i], ctx.limits.maxStringLength);
    storeVariable(*dst, std::move(r));
    return Flow::Normal;
}

// ---- arrays

Flow ReDimStmt::exec(Context& ctx) const
{
    for (const Item& item : m_items) {
        std::vector<size_t> counts;
        size_t total = 1;
        for (const ExprPtr& b : item.bounds) {
            Variant v = b->eval(ctx);
            if (v.isNull())
                raise(err::InvalidNull);
            int32_t upper = toLng(v);
            if (upper < -1)
                raise(err::SubscriptRange);
            size_t count = size_t(upper + 1);
            if (count && total > ctx.limits.maxArrayElements / count)
                raise(err::OutOfMemory);
            total *= count;
            counts.push_back(count);
        }
        if (total > ctx.limits.maxArrayElements)
            raise(err::OutOfMemory);
        Variant* var = item.target->ref(ctx, nullptr);
        if (!var)
            raise(err::IllegalAssignment, item.target->name());
        if (var->isArray() && (var->fixedArray() || var->array()->lockCount() > 0))
            raise(err::ArrayLocked);
        if (m_preserve && var->isArray()) {
            Array& arr = writableArray(*var);
            if (arr.dimensions() != 0 && arr.dimensions() != counts.size())
                raise(err::SubscriptRange);
            for (size_t i = 0; i + 1 < counts.size() && arr.dimensions() != 0; ++i)
                if (arr.count(i) != counts[i])
                    raise(err::SubscriptRange);
            arr.resize(std::move(counts), true);
        } else {
            *var = Variant::fromArray(makeRef<Array>(std::move(counts)));
        }
    }
    return Flow::Normal;
}

Flow EraseStmt::exec(Context& ctx) const
{
    for (const ExprPtr& t : m_targets) {
        Variant* var = t->ref(ctx, nullptr);
        if (!var || !var->isArray())
            raise(err::TypeMismatch, t->name());
        if (var->array()->lockCount() > 0)
            raise(err::ArrayLocked);
        if (var->fixedArray()) {
            Array& arr = writableArray(*var);
            for (Variant& e : arr.elements())
                e = Variant();
        } else {
            *var = Variant::fromArray(makeRef<Array>(std::vector<size_t>{}));
        }
    }
    return Flow::Normal;
}

// ---- control

Flow IfStmt::exec(Context& ctx) const
{
    for (const Branch& b : branches) {
        bool taken = true;
        if (b.condition) {
            try {
                taken = isTrue(b.condition->eval(ctx));
            } catch (ScriptException& e) {
                // Under On Error Resume Next a failed condition counts as true: execution
                // resumes with the next statement, the first of this branch.
                if (!ctx.frame->resumeNext)
                    throw;
                e.line = line;
                e.col = col;
                ctx.setError(e.info);
            }
        }
        if (taken)
            return b.body.exec(ctx);
    }
    return Flow::Normal;
}

Flow SelectStmt::exec(Context& ctx) const
{
    Variant value = subject->eval(ctx);
    for (const Case& c : cases) {
        if (c.values.empty())
            return c.body.exec(ctx);
        for (const ExprPtr& v : c.values) {
            std::optional<int> r = compareValues(value, v->eval(ctx), subject->literal, v->literal);
            if (r && *r == 0)
                return c.body.exec(ctx);
        }
    }
    return Flow::Normal;
}

namespace {

bool integral(const Variant& v)
{
    return v.type() == VarType::Integer || v.type() == VarType::Long || v.type() == VarType::Byte;
}

int64_t integerOf(const Variant& v)
{
    switch (v.type()) {
    case VarType::Integer: return v.integerValue();
    case VarType::Long: return v.longValue();
    default: return v.byteValue();
    }
}

Variant loopNumber(const Variant& v)
{
    if (v.isNull())
        raise(err::InvalidNull);
    if (v.isString())
        return Variant::fromDouble(toDbl(v));
    if (v.isEmpty())
        return Variant::fromInteger(0);
    if (v.type() == VarType::Boolean)
        return Variant::fromInteger(v.boolValue() ? -1 : 0);
    if (v.isObject() || v.isArray())
        return loopNumber(valueOf(v));
    return v;
}

// Flows that a loop of kind `mine` consumes; the others travel outwards.
Flow leaveLoop(Flow f, Flow mine, bool& stop)
{
    if (f == Flow::Normal)
        return f;
    stop = true;
    return f == mine ? Flow::Normal : f;
}

}  // namespace

Flow ForStmt::integerLoop(Context& ctx, Variant& counterVar, int64_t end, int64_t stepBy) const
{
    for (;;) {
        if (!integral(counterVar))
            return Flow::Normal;  // the body stored something else: the caller's general loop
        int64_t i = integerOf(counterVar);
        if (stepBy >= 0 ? i > end : i < end)
            return Flow::Normal;
        ctx.tick();
        bool stop = false;
        Flow f = leaveLoop(body.exec(ctx), Flow::ExitFor, stop);
        if (stop)
            return f;
        Variant* v = counter->ref(ctx, nullptr);
        if (v->type() == VarType::Integer && stepBy >= -32768 && stepBy <= 32767) {
            int64_t n = int64_t(v->integerValue()) + stepBy;
            *v = (n >= -32768 && n <= 32767) ? Variant::fromInteger(int16_t(n)) : Variant::fromLong(int32_t(n));
        } else if (v->type() == VarType::Long && integerOf(*v) + stepBy >= INT32_MIN && integerOf(*v) + stepBy <= INT32_MAX) {
            *v = Variant::fromLong(int32_t(v->longValue() + stepBy));
        } else {
            storeVariable(*v, opAdd(*v, Variant::fromLong(int32_t(stepBy)), ctx.limits.maxStringLength));
        }
    }
}

Flow ForStmt::exec(Context& ctx) const
{
    Variant start = loopNumber(from->eval(ctx));
    Variant end = loopNumber(to->eval(ctx));
    Variant stepBy = step ? loopNumber(step->eval(ctx)) : Variant::fromInteger(1);
    counter->assign(ctx, start, false);
    if (integral(end) && integral(stepBy)) {
        Variant* v = counter->ref(ctx, nullptr);
        if (v && integral(*v)) {
            Flow f = integerLoop(ctx, *v, integerOf(end), integerOf(stepBy));
            if (f != Flow::Normal || integral(*counter->ref(ctx, nullptr)))
                return f;
        }
    }
    bool up = toDbl(stepBy) >= 0;
    for (;;) {
        Variant i = counter->eval(ctx);
        std::optional<int> c = compareValues(i, end);
        if (!c)
            raise(err::InvalidNull);
        if (up ? *c > 0 : *c < 0)
            return Flow::Normal;
        ctx.tick();
        bool stop = false;
        Flow f = leaveLoop(body.exec(ctx), Flow::ExitFor, stop);
        if (stop)
            return f;
        counter->assign(ctx, opAdd(counter->eval(ctx), stepBy, ctx.limits.maxStringLength), false);
    }
}

Flow ForEachStmt::exec(Context& ctx) const
{
    Variant g = group->eval(ctx);
    Ref<Array> arr;
    if (g.isObject()) {
        if (!g.object())
            raise(err::ObjectNotSet);
        // A collection: its members as they are when the loop begins.
        auto* items = dynamic_cast<Enumerable*>(g.object());
        if (!items)
            raise(err::NoSuchMember);
        std::vector<Variant> values = items->snapshot();
        arr = makeRef<Array>(std::vector<size_t>{values.size()});
        arr->elements() = std::move(values);
    } else if (g.isArray()) {
        arr = Ref<Array>(g.array());  // iterates the array as it was when the loop began
    } else {
        raise(err::NotCollection);
    }
    for (size_t i = 0; i < arr->size(); ++i) {
        element->assign(ctx, arr->elements()[i], arr->elements()[i].isObject());
        ctx.tick();
        bool stop = false;
        Flow f = leaveLoop(body.exec(ctx), Flow::ExitFor, stop);
        if (stop)
            return f;
    }
    return Flow::Normal;
}

Flow DoStmt::exec(Context& ctx) const
{
    for (;;) {
        if (test == Test::WhileBefore && !isTrue(condition->eval(ctx)))
            return Flow::Normal;
        if (test == Test::UntilBefore && isTrue(condition->eval(ctx)))
            return Flow::Normal;
        ctx.tick();
        bool stop = false;
        Flow f = leaveLoop(body.exec(ctx), Flow::ExitDo, stop);
        if (stop)
            return f;
        if (test == Test::WhileAfter && !isTrue(condition->eval(ctx)))
            return Flow::Normal;
        if (test == Test::UntilAfter && isTrue(condition->eval(ctx)))
            return Flow::Normal;
    }
}

Flow ExitStmt::exec(Context& ctx) const
{
    if (m_flow == Flow::ExitProc)
        ctx.clearError();
    return m_flow;
}

Flow WithStmt::exec(Context& ctx) const
{
    Variant obj = object->eval(ctx);
    if (!obj.isObject())
        raise(err::ObjectRequired);
    Variant* s = slot->ref(ctx, nullptr);
    *s = std::move(obj);
    struct Clear {
        Variant* s;
        ~Clear() { *s = Variant(); }
    } clear{s};
    return body.exec(ctx);
}

// Both forms clear Err, as every On Error statement does.
Flow OnErrorStmt::exec(Context& ctx) const
{
    ctx.frame->resumeNext = m_resumeNext;
    ctx.clearError();
    return Flow::Normal;
}

}  // namespace qp::vbs
