#include "TestHost.h"

#include "vbs/Coerce.h"
#include "script/MsgBoxButtons.h"
#include "vbs/Text.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace qp::vbs::test {

namespace {

enum Member : DispId { Echo = 1, Fill, Fail, Value, Calls, Wait, ArgCount, IsRef, TempDir };

constexpr std::array<std::u16string_view, 9> kNames = {
    u"HostEcho", u"HostFill", u"HostFail", u"HostValue", u"HostCalls", u"HostWait", u"HostArgs", u"HostIsRef",
    u"HostTempDir"};

ErrorInfo wrongArgs()
{
    return {450, u"VBScript runtime error", u"Wrong number of arguments or invalid property assignment"};
}

}  // namespace

TestObject::~TestObject()
{
    if (!m_tempDir.empty())
        std::filesystem::remove_all(m_tempDir);
}

DispId TestObject::dispId(std::u16string_view name)
{
    for (size_t i = 0; i < kNames.size(); ++i)
        if (equalsNoCase(kNames[i], name))
            return DispId(i + 1);
    return kDispIdUnknown;
}

Result<Variant> TestObject::invoke(DispId id, InvokeKind kind, Args& args)
{
    ++calls;
    switch (id) {
    case Echo:
        if (args.size() != 1) return wrongArgs();
        return args[0];
    case Fill:
        if (args.size() != 2) return wrongArgs();
        args.set(0, args[1]);
        return Variant();
    case Fail: {
        if (args.size() != 2) return wrongArgs();
        Result<int32_t> n = toLong(args[0]);
        Result<std::u16string> d = toString(args[1]);
        if (!n) return n.error();
        if (!d) return d.error();
        return ErrorInfo{n.value(), u"Test.Host", d.value()};
    }
    case Value:
        if (kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef) {
            if (args.size() != 1) return wrongArgs();
            m_value = args[0];
            return Variant();
        }
        return m_value;
    case Calls: return Variant::fromLong(calls.load());
    case Wait: {
        Result<int32_t> ms = args.size() == 1 ? toLong(args[0]) : Result<int32_t>(wrongArgs());
        if (!ms) return ms.error();
        if (onWait) onWait();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms.value()));
        ++waitsEnded;
        return Variant();
    }
    case ArgCount: return Variant::fromLong(int32_t(args.size()));
    case IsRef:
        if (args.size() != 1) return wrongArgs();
        return Variant::fromBool(args.isByRef(0));
    case TempDir:
        if (m_tempDir.empty()) {
            std::string base = (std::filesystem::temp_directory_path() / "vbs-test-XXXXXX").string();
            if (!mkdtemp(base.data()))
                return ErrorInfo{70, u"Test.Host", u"no temporary folder"};
            m_tempDir = base;
        }
        return Variant::fromString(fromUtf8(m_tempDir));
    default:
        return ErrorInfo{438, u"VBScript runtime error", u"Object doesn't support this property or method"};
    }
}

int RecordingSite::msgBox(std::u16string_view text, int buttons, std::u16string_view)
{
    output.emplace_back(text);
    return DefaultMsgBoxResult(buttons);
}

ObjectRef RecordingSite::namedItem(std::u16string_view name)
{
    asked.emplace_back(name);
    if (name == u"Test")
        return m_test;
    return {};
}

RunResult runScript(std::u16string_view text, EngineLimits limits)
{
    RecordingSite site(ObjectRef(new TestObject));
    RunResult r;
    {
        Engine engine(site, limits);
        engine.addNamedItem(u"Test");
        r.parsed = engine.parse(text);
        if (r.parsed)
            r.outcome = engine.run();
        engine.close();
    }
    r.output = site.output;
    r.errors = site.errors;
    return r;
}

std::string narrow(std::u16string_view s)
{
    return toUtf8(s);
}

}  // namespace qp::vbs::test
