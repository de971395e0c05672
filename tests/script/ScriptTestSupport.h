#pragma once
// A hosted console with a console object on it, fast timings, and calls through the
// dispatch side as the script engine makes them.

#include "script/AutomationError.h"
#include "script/ConsoleSession.h"
#include "console/HostedConsole.h"
#include "script/ZEBConsole.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace qp::test {

using namespace std::chrono_literals;

inline ConsoleOptions fastConsole() {
    ConsoleOptions o;
    o.settle = 0ms;
    return o;
}

// Calls a member by name with the given arguments, every one passed by reference.
inline vbs::Result<vbs::Variant> call(vbs::Object& obj, std::u16string_view name, std::vector<vbs::Variant>& args,
                                      vbs::InvokeKind kind = vbs::InvokeKind::Method) {
    std::vector<vbs::ArgSlot> slots;
    for (vbs::Variant& v : args)
        slots.push_back(vbs::ArgSlot{&v, true});
    vbs::Args a(slots);
    return obj.invoke(obj.dispId(name), kind, a);
}

inline vbs::Result<vbs::Variant> call(vbs::Object& obj, std::u16string_view name, std::vector<vbs::Variant>&& args = {}) {
    return call(obj, name, args);
}

inline vbs::Variant str(std::u16string_view s) { return vbs::Variant::fromString(s); }
inline vbs::Variant num(int32_t n) { return vbs::Variant::fromLong(n); }

class ConsoleObjectTest : public ::testing::Test {
protected:
    HostedConsole console{nullptr, fastConsole()};
    std::shared_ptr<ConsoleSession> session =
        std::make_shared<ConsoleSession>(console, ScriptTimings{0ms, 20ms});
    vbs::Ref<ZEBConsole> obj = ZEBConsole::create(session);

    // Starts a command and waits until text shows at (x, y).
    void runAndWait(const std::u16string& command, int x, int y, const std::u16string& text) {
        obj->RunCommand(command);
        ASSERT_TRUE(obj->WaitString(10, x, y, text)) << "the program did not show the expected text";
    }
};

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline std::u16string helper(const char* name) {
    const std::string path = std::string(QP_TEST_HELPERS_DIR) + "/" + name;
    return std::u16string(path.begin(), path.end());
}

}  // namespace qp::test
