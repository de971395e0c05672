#pragma once
// Values that refer to each other. Counting references frees a value when its last reference
// goes, but containers that hold each other (an instance whose field holds itself, two
// dictionaries holding each other, an array in an instance's field that holds the instance)
// keep each other alive after every variable that reached them is gone. The run's collector
// knows every container the run made and, when the run has ended, frees those that nothing
// outside the containers still holds.
//
// Containers are linked to the collector of the run that made them, on that run's thread,
// and unlinked when they go or when the run's collector goes; a container a host keeps after
// the run is then an ordinary counted value again. While the run goes on, a container is
// released on the run's thread (a host keeps script values for later, it does not release
// them elsewhere mid-run).

#include <cstddef>
#include <cstdint>

namespace qp::vbs {

class Variant;
class RefCounted;
class Collector;

// Calls back for each value a container holds.
class ValueVisitor {
public:
    virtual void visit(const Variant& value) = 0;

protected:
    ~ValueVisitor() = default;
};

// Base of the values that hold other values: arrays, class instances, dictionaries.
class Collectable {
public:
    Collectable() noexcept;  // linked to the running script's collector, if any
    virtual ~Collectable();
    Collectable(const Collectable&) = delete;
    Collectable& operator=(const Collectable&) = delete;

    // Every value this holds by a counted reference.
    virtual void traceValues(ValueVisitor& visitor) = 0;
    // Lets go of every value held. Runs no script code: the run has ended.
    virtual void clearValues() noexcept = 0;
    // The reference count this container is kept alive by.
    virtual RefCounted& counted() noexcept = 0;

private:
    friend class Collector;
    Collector* m_owner = nullptr;
    Collectable* m_prev = nullptr;
    Collectable* m_next = nullptr;
    intptr_t m_scratch = 0;  // while collecting: references from outside the containers
    bool m_reachable = false;
};

class Collector {
public:
    Collector() = default;
    ~Collector();  // the survivors are unlinked: plain counted values from then on
    Collector(const Collector&) = delete;
    Collector& operator=(const Collector&) = delete;

    // Frees the containers that nothing but other containers of this collector holds, and
    // returns how many. Their values are let go without running script code (Class_Terminate
    // does not run for them). Linear in the containers and the values they hold.
    size_t collect() noexcept;
    size_t size() const noexcept { return m_size; }

    // The collector of the script running on this thread, or null.
    static Collector* current() noexcept;

private:
    friend class Collectable;
    void link(Collectable* c) noexcept;
    void unlink(Collectable* c) noexcept;

    Collectable* m_head = nullptr;
    size_t m_size = 0;
};

// Makes `collector` the running script's on this thread for the scope's lifetime.
class ScopedCollector {
public:
    explicit ScopedCollector(Collector* collector) noexcept;
    ~ScopedCollector();
    ScopedCollector(const ScopedCollector&) = delete;
    ScopedCollector& operator=(const ScopedCollector&) = delete;

private:
    Collector* m_previous;
};

}  // namespace qp::vbs
