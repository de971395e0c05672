#include "MemoryLimit.h"

#include "Errors.h"

namespace qp::vbs {

namespace {
thread_local MemoryAccount* t_current = nullptr;
}

bool MemoryAccount::charge(size_t bytes) noexcept
{
    size_t used = m_used.load(std::memory_order_relaxed);
    do {
        if (bytes > m_limit || used > m_limit - bytes)
            return false;
    } while (!m_used.compare_exchange_weak(used, used + bytes, std::memory_order_relaxed));
    return true;
}

MemoryAccount* MemoryAccount::current() noexcept
{
    return t_current;
}

ScopedMemoryAccount::ScopedMemoryAccount(MemoryAccount* account) noexcept : m_previous(t_current)
{
    t_current = account;
}

ScopedMemoryAccount::~ScopedMemoryAccount()
{
    t_current = m_previous;
}

bool MemoryCharge::set(size_t bytes) noexcept
{
    if (!m_account) {
        MemoryAccount* current = MemoryAccount::current();
        if (!current || bytes == 0)
            return true;
        if (!current->charge(bytes))
            return false;
        m_account = Ref<MemoryAccount>(current);
        m_bytes = bytes;
        return true;
    }
    if (bytes > m_bytes && !m_account->charge(bytes - m_bytes))
        return false;
    if (bytes < m_bytes)
        m_account->refund(m_bytes - bytes);
    m_bytes = bytes;
    return true;
}

void MemoryCharge::require(size_t bytes)
{
    if (!set(bytes))
        raise(err::OutOfMemory);
}

void MemoryCharge::reset() noexcept
{
    if (m_account)
        m_account->refund(m_bytes);
    m_bytes = 0;
}

}  // namespace qp::vbs
