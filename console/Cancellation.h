#pragma once
// Cancellable waiting. Everything that waits on behalf of a caller (pacing keys, pausing,
// waiting for the screen) waits here, so one request to stop ends it at once, whatever it
// waits for.
//
// Who may ask for a stop:
//   - the caller itself: a script run or a bus client's call sets a CallerStop for the thread
//     that works for it (StopScope); the engine's interrupt, the player's time limit or a
//     client leaving the bus request a stop of that source;
//   - the owner of what is waited on (a console session told to stop all its waits).
// A wait ends when its condition holds, its deadline passes, or any of its stops is requested.
//
//   WaitPoint point;                                 // one per thing waited on
//   point.waitUntil(deadline, {sessionStop}, [&] { return ready; });
//   ... elsewhere, after making `ready` true: point.notify();

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <iterator>
#include <mutex>
#include <optional>
#include <stop_token>

namespace qp {

using SteadyTime = std::chrono::steady_clock::time_point;

enum class WaitEnd {
    Ready,     // the condition held
    TimedOut,  // the deadline came first
    Stopped,   // a stop was requested
};

// The stop of the caller the current thread works for; a token that is never stopped when
// no scope is active.
std::stop_token CurrentStop();

// Makes token the current thread's caller stop until the scope ends (scopes nest; the inner
// one wins, so a stop of an outer caller reaches an inner one only if the inner source was
// linked to it, see StopLink).
class StopScope {
public:
    explicit StopScope(std::stop_token token);
    ~StopScope();
    // The caller stop that was current before this scope.
    const std::stop_token& outer() const { return m_previous; }
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

private:
    std::stop_token m_previous;
};

// Requests a stop of `target` as soon as `from` is stopped (at once if it already is), for
// as long as the link lives.
class StopLink {
public:
    StopLink(const std::stop_token& from, std::stop_source target);

private:
    struct Forward {
        std::stop_source target;
        void operator()() const { target.request_stop(); }
    };
    std::stop_callback<Forward> m_callback;
};

// True when the current caller or any of `extra` asked for a stop.
bool StopRequested(std::initializer_list<std::stop_token> extra = {});

// A place to wait: anyone who changes what its waiters look at calls notify().
class WaitPoint {
public:
    // Waits until ready() holds, the deadline passes, the current caller's stop or one of
    // `stops` is requested. ready() runs under the point's own lock: keep it quick, and make
    // what it reads safe to read from any thread (atomics, or state under its own lock).
    template <typename Ready>
    WaitEnd waitUntil(SteadyTime deadline, std::initializer_list<std::stop_token> stops, Ready ready)
    {
        std::stop_source any;
        StopLink fromCaller(CurrentStop(), any);
        // Up to a handful of tokens: each forwards its stop to `any`.
        std::optional<StopLink> links[4];
        size_t n = 0;
        for (const std::stop_token& t : stops)
            if (n < std::size(links))
                links[n++].emplace(t, any);
        const std::stop_token token = any.get_token();
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_until(lock, token, deadline, ready))
            return WaitEnd::Ready;
        return token.stop_requested() ? WaitEnd::Stopped : WaitEnd::TimedOut;
    }

    // Sleeps until the deadline unless a stop comes first: true when the time has come.
    bool sleepUntil(SteadyTime deadline, std::initializer_list<std::stop_token> stops = {})
    {
        return waitUntil(deadline, stops, [] { return false; }) == WaitEnd::TimedOut;
    }

    // Wakes every waiter to look at its condition again.
    void notify()
    {
        { std::lock_guard lock(m_mutex); }
        m_wake.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
};

}  // namespace qp
