// Trial deletion over a run's containers: a container whose count is made up entirely of
// references from other containers of the run, and that no outside-held container reaches,
// can only be reached from other such containers, so the whole group goes.
#include "Collector.h"

#include "Object.h"
#include "Variant.h"

#include <new>
#include <vector>

namespace qp::vbs {

namespace {

thread_local Collector* t_current = nullptr;

Collectable* collectableOf(const Variant& v) noexcept
{
    if (v.isArray())
        return v.array();
    if (v.isObject() && v.object())
        return dynamic_cast<Collectable*>(v.object());
    return nullptr;
}

// Calls f for each container among the values a container holds.
template <class F>
class Each final : public ValueVisitor {
public:
    explicit Each(F f) : m_f(f) {}
    void visit(const Variant& value) override
    {
        if (Collectable* c = collectableOf(value))
            m_f(c);
    }

private:
    F m_f;
};

}  // namespace

Collectable::Collectable() noexcept
{
    if (Collector* c = t_current)
        c->link(this);
}

Collectable::~Collectable()
{
    if (m_owner)
        m_owner->unlink(this);
}

Collector* Collector::current() noexcept
{
    return t_current;
}

void Collector::link(Collectable* c) noexcept
{
    c->m_owner = this;
    c->m_prev = nullptr;
    c->m_next = m_head;
    if (m_head)
        m_head->m_prev = c;
    m_head = c;
    ++m_size;
}

void Collector::unlink(Collectable* c) noexcept
{
    if (c->m_prev)
        c->m_prev->m_next = c->m_next;
    else
        m_head = c->m_next;
    if (c->m_next)
        c->m_next->m_prev = c->m_prev;
    c->m_owner = nullptr;
    c->m_prev = c->m_next = nullptr;
    --m_size;
}

Collector::~Collector()
{
    while (m_head)
        unlink(m_head);
}

size_t Collector::collect() noexcept
{
    std::vector<Collectable*> all, work, garbage;
    try {
        all.reserve(m_size);
        for (Collectable* c = m_head; c; c = c->m_next) {
            c->m_scratch = c->counted().refCount();
            c->m_reachable = false;
            all.push_back(c);
        }
        // What is left of a count after the references from the containers themselves are
        // taken away comes from outside: a variable, a host, a value being worked on.
        auto internal = [this](Collectable* c) {
            if (c->m_owner == this)
                --c->m_scratch;
        };
        Each<decltype(internal)> subtract(internal);
        for (Collectable* c : all)
            c->traceValues(subtract);
        for (Collectable* c : all) {
            if (c->m_scratch > 0) {
                c->m_reachable = true;
                work.push_back(c);
            }
        }
        // Everything an outside-held container reaches stays.
        auto reach = [this, &work](Collectable* c) {
            if (c->m_owner == this && !c->m_reachable) {
                c->m_reachable = true;
                work.push_back(c);
            }
        };
        Each<decltype(reach)> mark(reach);
        while (!work.empty()) {
            Collectable* c = work.back();
            work.pop_back();
            c->traceValues(mark);
        }
        for (Collectable* c : all)
            if (!c->m_reachable)
                garbage.push_back(c);
    } catch (const std::bad_alloc&) {
        return 0;  // no room to look: the cycles stay
    }
    // Each member is held while the group's values are let go, so none goes away while
    // another still refers to it; then the last references, which free them one by one.
    for (Collectable* c : garbage)
        c->counted().addRef();
    for (Collectable* c : garbage)
        c->clearValues();
    for (Collectable* c : garbage)
        c->counted().release();
    return garbage.size();
}

ScopedCollector::ScopedCollector(Collector* collector) noexcept : m_previous(t_current)
{
    t_current = collector;
}

ScopedCollector::~ScopedCollector()
{
    t_current = m_previous;
}

}  // namespace qp::vbs
