#include "KeyPacer.h"

#include <algorithm>

namespace qp {

KeyPacer::KeyPacer(std::chrono::milliseconds gap)
    : m_lastKeyTime(Clock::now()), m_gap(std::max(gap, std::chrono::milliseconds(0)))
{
}

bool KeyPacer::PaceKeys(std::initializer_list<std::stop_token> stops)
{
    Clock::time_point turn;
    {
        // Take the next turn under the lock and wait for it outside, so the lock is only
        // held for a moment and a second thread queues up behind this key, not beside it.
        std::lock_guard lock(m_mutex);
        turn = std::max(Clock::now(), m_lastKeyTime + m_gap);
        m_lastKeyTime = turn;
    }
    if (turn <= Clock::now())
        return !StopRequested(stops);
    return m_wait.sleepUntil(turn, stops) && !StopRequested(stops);
}

KeyPacer::Clock::time_point KeyPacer::LastKeyTime() const
{
    std::lock_guard lock(m_mutex);
    return m_lastKeyTime;
}

std::chrono::milliseconds KeyPacer::gap() const
{
    std::lock_guard lock(m_mutex);
    return m_gap;
}

void KeyPacer::setGap(std::chrono::milliseconds gap)
{
    std::lock_guard lock(m_mutex);
    m_gap = std::max(gap, std::chrono::milliseconds(0));
}

}  // namespace qp
