#include "Runtime.h"

#include "Compiled.h"
#include "ErrObject.h"
#include "Object.h"

#include <pthread.h>

namespace qp::vbs {

// ---- frames

Variant* FrameStack::pushChunk(size_t n)
{
    // Move to the next chunk that is large enough, making one when needed.
    size_t next = m_chunks.empty() ? 0 : m_chunk + 1;
    if (next < m_chunks.size() && m_sizes[next] < n) {
        m_chunks.resize(next);
        m_sizes.resize(next);
    }
    if (next >= m_chunks.size()) {
        size_t size = std::max(kChunk, n);
        m_chunks.push_back(std::make_unique<Variant[]>(size));
        m_sizes.push_back(size);
    }
    m_chunk = next;
    m_used = n;
    return m_chunks[m_chunk].get();
}

void FrameStack::release(Mark m, Variant* base, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        base[i].clear();
    m_chunk = m.chunk;
    m_used = m.used;
}

FrameScope::FrameScope(Context& ctx, size_t localCount, size_t paramCount)
    : m_ctx(ctx), m_mark(ctx.stack.mark()), m_localCount(localCount)
{
    m_frame.locals = ctx.stack.push(localCount);
    if (paramCount > kInlineParams) {
        m_many.resize(paramCount);
        m_frame.params = m_many.data();
    } else {
        m_frame.params = m_inline;
    }
}

FrameScope::~FrameScope()
{
    if (m_caller) {
        m_ctx.frame = m_caller;
        m_ctx.leaveCall();
    }
    m_ctx.stack.release(m_mark, m_frame.locals, m_localCount);
}

void FrameScope::enter(const Procedure* proc, ClassInstance* me)
{
    m_frame.proc = proc;
    m_frame.me = me;
    m_ctx.enterCall();
    m_caller = m_ctx.frame;
    m_ctx.frame = &m_frame;
}

void createArrays(const std::vector<ArrayDecl>& arrays, Variant* slots, size_t maxElements)
{
    for (const ArrayDecl& a : arrays) {
        slots[a.slot] = makeDimArray(a.counts, maxElements);
        slots[a.slot].setFixedArray(!a.counts.empty());
    }
}

void createArrays(const std::vector<ArrayDecl>& arrays, std::deque<Variant>& slots, size_t maxElements, size_t first)
{
    for (size_t i = first; i < arrays.size(); ++i) {
        const ArrayDecl& a = arrays[i];
        slots[size_t(a.slot)] = makeDimArray(a.counts, maxElements);
        slots[size_t(a.slot)].setFixedArray(!a.counts.empty());
    }
}

// ---- context

namespace {

// The stack left to this thread below `here`, or 0 when unknown.
size_t stackRoom(const char* here)
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return 0;
    void* addr = nullptr;
    size_t size = 0;
    pthread_attr_getstack(&attr, &addr, &size);
    pthread_attr_destroy(&attr);
    const char* low = static_cast<const char*>(addr);
    return here > low ? size_t(here - low) : 0;
}

}  // namespace

Context::Context(Site& s, const EngineLimits& l, const std::atomic<bool>& interrupted,
                 CompiledProgram& p, std::vector<NamedItem>& items)
    : site(s), limits(l), program(p), m_interrupted(interrupted), m_items(items),
      m_err(makeRef<ErrObject>())
{
    m_stepLimit = l.stepBudget ? l.stepBudget : UINT64_MAX;
    char probe;
    m_stackBase = &probe;
    size_t room = stackRoom(&probe);
    m_stackLimit = l.maxStackBytes;
    if (room && room / 4 * 3 < m_stackLimit)
        m_stackLimit = room / 4 * 3;
    globals.resize(size_t(p.globalCount));
    frame = &globalFrame;
    optionExplicit = p.optionExplicit;
    for (const std::u16string& name : p.dynamicNames)
        m_dynamic.push_back(DynamicName{name});
    link = makeRef<RunLink>();
    link->ctx = this;
    m_proceduresSeen = p.procedures.size();
}

Context::~Context()
{
    finish(false);
}

void Context::finish(bool terminateObjects)
{
    if (!link)
        return;
    if (!terminateObjects)
        link->ctx = nullptr;
    frame = &globalFrame;
    for (Variant& v : globals)
        v.clear();
    link->ctx = nullptr;
    link = nullptr;
}

void Context::enterCall()
{
    char probe;
    size_t used = size_t(m_stackBase - &probe);
    if (m_depth >= limits.maxCallDepth || used > m_stackLimit)
        raise(err::OutOfStack);
    ++m_depth;
}

Object* Context::namedItem(size_t index)
{
    NamedItem& item = m_items[index];
    if (!item.fetched) {
        item.fetched = true;
        item.object = site.namedItem(item.name);
    }
    return item.object.get();
}

DynamicName& Context::dynamicName(size_t index)
{
    DynamicName& d = m_dynamic[index];
    if (d.state == DynamicName::State::Unknown)
        resolveDynamic(d);
    return d;
}

void Context::programGrew()
{
    if (globals.size() < size_t(program.globalCount))
        globals.resize(size_t(program.globalCount));
    for (size_t i = m_dynamic.size(); i < program.dynamicNames.size(); ++i)
        m_dynamic.push_back(DynamicName{program.dynamicNames[i]});
    // A name the script used before a text defined a procedure of that name now calls it.
    if (program.procedures.size() == m_proceduresSeen)
        return;
    m_proceduresSeen = program.procedures.size();
    for (DynamicName& d : m_dynamic) {
        if (d.state == DynamicName::State::Member)
            continue;
        if (const Procedure* p = findProcedure(*compiler, d.name)) {
            d.state = DynamicName::State::Procedure;
            d.procedure = p;
        }
    }
}

void Context::resolveDynamic(DynamicName& d)
{
    if (compiler) {
        if (const Procedure* p = findProcedure(*compiler, d.name)) {
            d.state = DynamicName::State::Procedure;
            d.procedure = p;
            return;
        }
    }
    // The context item (the first named item) first, then items with global members.
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (i != 0 && !m_items[i].globalMembers)
            continue;
        Object* o = namedItem(i);
        if (!o)
            continue;
        DispId id = o->dispId(d.name);
        if (id != kDispIdUnknown) {
            d.state = DynamicName::State::Member;
            d.object = Ref<Object>(o);
            d.dispId = id;
            return;
        }
    }
    d.state = DynamicName::State::Variable;
}

void Context::setError(const ErrorInfo& info)
{
    m_err->set(info);
}

void Context::clearError()
{
    m_err->clear();
}

Ref<Object> Context::errRef() const
{
    return Ref<Object>(m_err.get());
}

// ---- variables

void storeVariable(Variant& dst, Variant value)
{
    if (dst.isArray() && (dst.array()->lockCount() > 0 || dst.fixedArray()))
        raise(err::ArrayLocked);
    if (value.isArray() && value.array()->lockCount() > 0) {
        // A locked array is never shared: the element passed ByRef must stay its own.
        auto copy = makeRef<Array>(value.array()->counts());
        copy->elements() = value.array()->elements();
        value = Variant::fromArray(std::move(copy));
    }
    dst = std::move(value);
}

Array& writableArray(Variant& var)
{
    Array* a = var.array();
    if (!a->unique() && a->lockCount() == 0) {
        auto copy = makeRef<Array>(a->counts());
        copy->elements() = a->elements();
        bool fixed = var.fixedArray();
        var = Variant::fromArray(std::move(copy));
        var.setFixedArray(fixed);
        a = var.array();
    }
    return *a;
}

Variant makeDimArray(const std::vector<size_t>& counts, size_t maxElements)
{
    size_t total = counts.empty() ? 0 : 1;
    for (size_t c : counts) {
        if (c != 0 && total > maxElements / c)
            raise(err::OutOfMemory);
        total *= c;
    }
    if (total > maxElements)
        raise(err::OutOfMemory);
    return Variant::fromArray(makeRef<Array>(counts));
}

}  // namespace qp::vbs
