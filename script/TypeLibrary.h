#pragma once
// What the type library of the automation objects says, as data: the library, the two
// dispatch interfaces with their methods (names, dispatch identifiers, slot order,
// parameter names, types and directions) and the two classes. The dispatchers, the D-Bus
// interface descriptions and the tests all read these tables.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace qp {

enum class ParamType : uint8_t { Text, Integer, Boolean, Variant };
enum class ParamDir : uint8_t { In, Out, OutRetval };

struct ParamInfo {
    std::string_view name;
    ParamType type;
    ParamDir dir;
};

struct MethodInfo {
    std::string_view name;
    int32_t dispId;
    int slot;  // 1 = the first slot after the seven IDispatch slots
    std::span<const ParamInfo> params;

    // The parameters a caller passes: all but the [out, retval] one.
    size_t argumentCount() const {
        size_t n = 0;
        for (const ParamInfo& p : params)
            n += p.dir != ParamDir::OutRetval;
        return n;
    }
    const ParamInfo* retval() const {
        for (const ParamInfo& p : params)
            if (p.dir == ParamDir::OutRetval)
                return &p;
        return nullptr;
    }
};

enum TypeFlags : uint32_t {
    TypeFlagCanCreate = 0x2,
    TypeFlagDual = 0x40,
    TypeFlagOleAutomation = 0x100,
    TypeFlagDispatchable = 0x1000,
};

struct InterfaceInfo {
    std::string_view name;
    std::string_view guid;
    uint32_t flags;
    std::string_view helpString;
    std::span<const MethodInfo> methods;
};

struct CoClassInfo {
    std::string_view name;
    std::string_view guid;
    uint32_t flags;
    std::string_view helpString;
    const InterfaceInfo* defaultInterface;
    std::string_view progId;
};

struct TypeLibraryInfo {
    std::string_view name;
    std::string_view helpString;
    std::string_view guid;
    uint16_t majorVersion, minorVersion;
    uint32_t lcid;
};

inline constexpr TypeLibraryInfo QuorviaTypeLibrary{
    "QuorviaPallant", "Quorvia Object Server", "{A73C7A08-75FA-4B7C-87B5-37178CD7F00E}", 1, 0, 0x0409};

namespace typelib_detail {
using enum ParamType;
using enum ParamDir;
inline constexpr ParamInfo kKeys[] = {{"Keys", Text, In}};
inline constexpr ParamInfo kCheckString[] = {
    {"X", Integer, In}, {"Y", Integer, In}, {"TestString", Text, In}, {"CheckResult", Boolean, OutRetval}};
inline constexpr ParamInfo kCheckRect[] = {{"Left", Integer, In},       {"Top", Integer, In},
                                           {"Right", Integer, In},      {"Bottom", Integer, In},
                                           {"TestString", Text, In},    {"CheckResult", Boolean, OutRetval}};
inline constexpr ParamInfo kReadText[] = {{"Left", Integer, In},   {"Top", Integer, In},
                                          {"Right", Integer, In},  {"Buttom", Integer, In},
                                          {"Readed", Variant, Out}};
inline constexpr ParamInfo kPause[] = {{"MSecs", Integer, In}};
inline constexpr ParamInfo kWaitString[] = {{"Secs", Integer, In},
                                            {"X", Integer, In},
                                            {"Y", Integer, In},
                                            {"TestString", Text, In},
                                            {"CheckResult", Boolean, OutRetval}};
inline constexpr ParamInfo kIsProcessActive[] = {{"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kRunCommand[] = {{"CmdLine", Text, In}, {"ResConsole", Variant, OutRetval}};
inline constexpr ParamInfo kCheckWindow[] = {{"Left", Integer, In},  {"Top", Integer, In},
                                             {"Right", Integer, In}, {"Bottom", Integer, In},
                                             {"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kOpenConsole[] = {{"Command", Text, In}, {"Console", Variant, OutRetval}};
}  // namespace typelib_detail

// IZEBConsole's methods in slot order.
inline constexpr std::array<MethodInfo, 11> IZEBConsoleMethods = {{
    {"PutKeys", 1, 1, typelib_detail::kKeys},
    {"PutControl", 3, 2, typelib_detail::kKeys},
    {"CheckString", 4, 3, typelib_detail::kCheckString},
    {"CheckRect", 5, 4, typelib_detail::kCheckRect},
    {"ReadText", 6, 5, typelib_detail::kReadText},
    {"Pause", 7, 6, typelib_detail::kPause},
    {"WaitString", 8, 7, typelib_detail::kWaitString},
    {"IsProcessActive", 9, 8, typelib_detail::kIsProcessActive},
    {"KillProcess", 10, 9, {}},
    {"RunCommand", 2, 10, typelib_detail::kRunCommand},
    {"CheckWindow", 11, 11, typelib_detail::kCheckWindow},
}};

inline constexpr std::array<MethodInfo, 1> IZEBConsAppMethods = {{
    {"OpenConsole", 1, 1, typelib_detail::kOpenConsole},
}};

inline constexpr InterfaceInfo IZEBConsoleInfo{
    "IZEBConsole", "{9654DEA7-709C-465B-9323-8B4786AEC039}",
    TypeFlagDual | TypeFlagOleAutomation | TypeFlagDispatchable,
    "Dispatch interface for ZEBConsole Object", IZEBConsoleMethods};
inline constexpr InterfaceInfo IZEBConsAppInfo{
    "IZEBConsApp", "{1E38D28A-7B2A-41B9-9680-489B28280316}",
    TypeFlagDual | TypeFlagOleAutomation | TypeFlagDispatchable,
    "Dispatch interface for ZEBConsApp Object", IZEBConsAppMethods};

inline constexpr CoClassInfo ZEBConsoleClass{"ZEBConsole", "{6BCABD9A-CA0A-4C36-BA33-70A7E3DB1128}", 0,
                                             "ZEBConsole Object", &IZEBConsoleInfo,
                                             "QuorviaPallant.ZEBConsole"};
inline constexpr CoClassInfo ZEBConsAppClass{"ZEBConsApp", "{B3683A73-AF29-4743-98B8-A016A4A83DDE}",
                                             TypeFlagCanCreate, "ZEBConsApp Object", &IZEBConsAppInfo,
                                             "QuorviaPallant.ZEBConsApp"};

inline constexpr std::array<const CoClassInfo*, 2> QuorviaClasses = {&ZEBConsoleClass, &ZEBConsAppClass};

// The method of an interface with a dispatch identifier, or none.
constexpr const MethodInfo* findMethod(const InterfaceInfo& iface, int32_t dispId) {
    for (const MethodInfo& m : iface.methods)
        if (m.dispId == dispId)
            return &m;
    return nullptr;
}

namespace typelib_detail {
constexpr bool slotsInOrder(std::span<const MethodInfo> methods) {
    for (size_t i = 0; i < methods.size(); ++i)
        if (methods[i].slot != int(i + 1))
            return false;
    return true;
}
constexpr bool dispIdsUnique(std::span<const MethodInfo> methods) {
    for (size_t i = 0; i < methods.size(); ++i)
        for (size_t j = i + 1; j < methods.size(); ++j)
            if (methods[i].dispId == methods[j].dispId)
                return false;
    return true;
}
}  // namespace typelib_detail
static_assert(typelib_detail::slotsInOrder(IZEBConsoleMethods));
static_assert(typelib_detail::dispIdsUnique(IZEBConsoleMethods));
static_assert(findMethod(IZEBConsoleInfo, 2)->slot == 10, "RunCommand: DISPID 2, tenth slot");
static_assert(findMethod(IZEBConsoleInfo, 3)->name == "PutControl");
static_assert(typelib_detail::kReadText[3].name == "Buttom");

}  // namespace qp
