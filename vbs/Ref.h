#pragma once
// An intrusive reference-counted pointer. Host objects, strings and arrays carry their own
// count, so a Variant stays two words wide and copying one is a counter increment.

#include <atomic>
#include <cstddef>
#include <utility>

namespace qp::vbs {

// Base for anything held by Ref<T>. The count is atomic: a host may keep a value that a
// script produced and hand it to another thread.
class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    void addRef() const noexcept { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void release() const noexcept
    {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            lastReference();
    }
    // True when this holder is the only one (copy-on-write decisions).
    bool unique() const noexcept { return m_refs.load(std::memory_order_acquire) == 1; }
    // The number of references (the cycle collector's starting point).
    int refCount() const noexcept { return m_refs.load(std::memory_order_acquire); }

protected:
    virtual ~RefCounted() = default;
    // The last reference went away. Script class instances run Class_Terminate here (and may
    // be referenced again meanwhile); everything else is deleted.
    virtual void lastReference() const noexcept { delete this; }

private:
    mutable std::atomic<int> m_refs{0};
};

template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    // Takes a reference to p (which may be freshly made with new).
    explicit Ref(T* p) noexcept : m_p(p) { if (m_p) m_p->addRef(); }
    Ref(const Ref& o) noexcept : m_p(o.m_p) { if (m_p) m_p->addRef(); }
    Ref(Ref&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    template <class U>
    Ref(const Ref<U>& o) noexcept : m_p(o.get()) { if (m_p) m_p->addRef(); }
    ~Ref() { if (m_p) m_p->release(); }

    Ref& operator=(Ref o) noexcept { std::swap(m_p, o.m_p); return *this; }

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.m_p == b.m_p; }

    // Gives up ownership without releasing (for Variant's packed storage).
    T* detach() noexcept { return std::exchange(m_p, nullptr); }
    // Adopts a pointer whose reference the caller already owns.
    static Ref adopt(T* p) noexcept { Ref r; r.m_p = p; return r; }

private:
    T* m_p = nullptr;
};

template <class T, class... A>
Ref<T> makeRef(A&&... args)
{
    return Ref<T>(new T(std::forward<A>(args)...));
}

}  // namespace qp::vbs
