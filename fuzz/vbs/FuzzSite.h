#pragma once
// A quiet site and a small host object for the engine's fuzz targets. Every callback
// checks the engine's promises: errors carry a number and sane positions.

#include "vbs/Engine.h"
#include "vbs/Text.h"

#include <string_view>

namespace qp::vbs::fuzz {

inline void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Members: Echo(x) returns x; Fill(out, v) writes out; Fail() fails with error 1234.
class FuzzObject : public Object {
public:
    DispId dispId(std::u16string_view name) override
    {
        if (equalsNoCase(name, u"Echo")) return 1;
        if (equalsNoCase(name, u"Fill")) return 2;
        if (equalsNoCase(name, u"Fail")) return 3;
        return kDispIdUnknown;
    }
    Result<Variant> invoke(DispId id, InvokeKind, Args& args) override
    {
        switch (id) {
        case 1: return args.empty() ? Variant() : args[0];
        case 2:
            if (args.size() >= 2) args.set(0, args[1]);
            return Variant();
        default: return ErrorInfo{1234, u"Fuzz", u"failed"};
        }
    }
};

class FuzzSite : public Site {
public:
    explicit FuzzSite(std::u16string_view text) : m_text(text) {}
    ObjectRef namedItem(std::u16string_view name) override
    {
        return equalsNoCase(name, u"Test") ? ObjectRef(new FuzzObject) : ObjectRef();
    }
    void onScriptError(const ScriptError& e) override
    {
        check(++errors == 1);  // reported once
        check(e.number != 0);
        check(e.line >= 0 && e.position >= 0);
        check(size_t(e.line) <= m_text.size() && size_t(e.position) <= m_text.size());
    }
    // Fuzzed scripts never reach the file system.
    bool mayCreateObject(std::u16string_view progId) override
    {
        return !equalsNoCase(progId, u"Scripting.FileSystemObject");
    }
    int errors = 0;

private:
    std::u16string_view m_text;
};

}  // namespace qp::vbs::fuzz
