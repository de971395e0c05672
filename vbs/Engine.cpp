#include "Engine.h"

#include <atomic>

namespace qp::vbs {

// FIXME: placeholder until the interpreter lands; parse() refuses every text.
struct Engine::Impl {
    Site& site;
    std::atomic<EngineState> state{EngineState::Initialized};
    explicit Impl(Site& s) : site(s) {}
};

Engine::Engine(Site& site, EngineLimits) : m_impl(std::make_unique<Impl>(site)) {}
Engine::~Engine() = default;
void Engine::addNamedItem(std::u16string, bool) {}
bool Engine::parse(std::u16string_view)
{
    m_impl->site.onScriptError({0, 0, 1002, u"VBScript compilation error", u"Syntax error", true});
    return false;
}
RunOutcome Engine::run() { return RunOutcome::NotParsed; }
void Engine::interrupt() noexcept {}
void Engine::close() { m_impl->state = EngineState::Closed; }
EngineState Engine::state() const noexcept { return m_impl->state.load(); }

}  // namespace qp::vbs
