// Feeds arbitrary text to the lexer, parser and resolver: a syntax error or a parsed
// program, never a crash, a hang or more than one report.
#include "FuzzSite.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qp::vbs;
    std::u16string text = fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::FuzzSite site(text);
    Engine engine(site);
    engine.addNamedItem(u"Test");
    bool parsed = engine.parse(text);
    fuzz::check(parsed == (site.errors == 0));
    fuzz::check(engine.state() == (parsed ? EngineState::Started : EngineState::Initialized));
    engine.close();
    return 0;
}
