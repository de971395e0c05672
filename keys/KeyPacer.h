#pragma once
// The pause between paced keys. Every paced sender of one console (a script's PutKeys and
// PutControl, the paste) shares one pacer, so two paced keys are always at least the gap
// apart, whichever thread sends them. Unpaced keys (the user's own) neither wait nor count.

#include "console/Cancellation.h"

#include <chrono>
#include <mutex>

namespace qp {

class KeyPacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds DefaultGap{50};

    // The first paced key waits for the gap after the pacer's creation, as after a key.
    explicit KeyPacer(std::chrono::milliseconds gap = DefaultGap);

    // Waits until the gap after the last paced key has passed, then counts this key.
    // Threads that pace at the same moment get consecutive turns, each a gap apart.
    // False, at once, when the current caller or one of `stops` asks to stop: the key must
    // not be sent then.
    bool PaceKeys(std::initializer_list<std::stop_token> stops = {});

    // When the last paced key was (or, once a thread waits for its turn, will be) let go.
    Clock::time_point LastKeyTime() const;

    std::chrono::milliseconds gap() const;
    // A faster (or no) gap for test runs; negative counts as none.
    void setGap(std::chrono::milliseconds gap);

private:
    WaitPoint m_wait;
    mutable std::mutex m_mutex;
    Clock::time_point m_lastKeyTime;
    std::chrono::milliseconds m_gap;
};

}  // namespace qp
