// Parses and runs arbitrary text with a step budget and small resource limits: every run
// completes, fails with one reported error, or is stopped by the budget.
#include "FuzzSite.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qp::vbs;
    std::u16string text = fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::FuzzSite site(text);
    EngineLimits limits;
    limits.stepBudget = 20000;
    limits.maxCallDepth = 200;
    limits.maxStringLength = 1 << 16;
    limits.maxArrayElements = 1 << 14;
    Engine engine(site, limits);
    engine.addNamedItem(u"Test");
    if (engine.parse(text)) {
        RunOutcome outcome = engine.run();
        fuzz::check((outcome == RunOutcome::Failed) == (site.errors == 1));
        fuzz::check(engine.state() == EngineState::Disconnected);
    }
    engine.close();
    return 0;
}
