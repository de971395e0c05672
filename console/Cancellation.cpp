#include "Cancellation.h"

#include <utility>

namespace qp {

namespace {
thread_local std::stop_token t_callerStop;
}

std::stop_token CurrentStop()
{
    return t_callerStop;
}

StopScope::StopScope(std::stop_token token) : m_previous(std::exchange(t_callerStop, std::move(token))) {}

StopScope::~StopScope()
{
    t_callerStop = std::move(m_previous);
}

StopLink::StopLink(const std::stop_token& from, std::stop_source target) : m_callback(from, Forward{std::move(target)})
{
}

bool StopRequested(std::initializer_list<std::stop_token> extra)
{
    if (t_callerStop.stop_requested())
        return true;
    for (const std::stop_token& t : extra)
        if (t.stop_requested())
            return true;
    return false;
}

}  // namespace qp
