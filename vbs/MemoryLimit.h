#pragma once
// The memory a script's values hold, against the engine's limit (EngineLimits::maxMemoryBytes):
// the elements of its arrays and the text of its strings are counted where they are made and
// given back when they go. A value that would pass the limit is not made: error 7, "Out of
// memory". Values made while no script runs on the thread (by a host) are not counted.

#include "Ref.h"

#include <atomic>
#include <cstddef>

namespace qp::vbs {

class MemoryAccount final : public RefCounted {
public:
    explicit MemoryAccount(size_t limit) : m_limit(limit) {}
    // Adds `bytes`; false, and nothing added, when that would pass the limit.
    bool charge(size_t bytes) noexcept;
    void refund(size_t bytes) noexcept { m_used.fetch_sub(bytes, std::memory_order_relaxed); }
    size_t used() const noexcept { return m_used.load(std::memory_order_relaxed); }

    // The account of the script running on this thread, or null.
    static MemoryAccount* current() noexcept;

private:
    const size_t m_limit;
    std::atomic<size_t> m_used{0};
};

// Makes `account` the running script's account on this thread for the scope's lifetime.
class ScopedMemoryAccount {
public:
    explicit ScopedMemoryAccount(MemoryAccount* account) noexcept;
    ~ScopedMemoryAccount();
    ScopedMemoryAccount(const ScopedMemoryAccount&) = delete;
    ScopedMemoryAccount& operator=(const ScopedMemoryAccount&) = delete;

private:
    MemoryAccount* m_previous;
};

// What one value holds against an account: the account it was first made against (kept
// alive while the value lives) and the bytes.
class MemoryCharge {
public:
    MemoryCharge() = default;
    ~MemoryCharge() { reset(); }
    MemoryCharge(const MemoryCharge&) = delete;
    MemoryCharge& operator=(const MemoryCharge&) = delete;

    // Makes the charge `bytes`. False, and the charge unchanged, when the account cannot
    // take the growth.
    bool set(size_t bytes) noexcept;
    // As set, raising error 7 when the account cannot take it.
    void require(size_t bytes);
    void reset() noexcept;

private:
    Ref<MemoryAccount> m_account;
    size_t m_bytes = 0;
};

}  // namespace qp::vbs
