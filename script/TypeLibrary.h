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
inline constexpr ParamInfo kWaitQuiet[] = {
    {"MSecs", Integer, In}, {"Secs", Integer, In}, {"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kFindString[] = {
    {"TestString", Text, In}, {"X", Integer, Out}, {"Y", Integer, Out}, {"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kWaitFind[] = {{"Secs", Integer, In},
                                          {"TestString", Text, In},
                                          {"X", Integer, Out},
                                          {"Y", Integer, Out},
                                          {"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kFindPattern[] = {{"Pattern", Text, In},
                                             {"X", Integer, Out},
                                             {"Y", Integer, Out},
                                             {"Matched", Text, Out},
                                             {"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kWaitPattern[] = {{"Secs", Integer, In}, {"Pattern", Text, In},
                                             {"X", Integer, Out},   {"Y", Integer, Out},
                                             {"Matched", Text, Out}, {"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kWaitExit[] = {
    {"Secs", Integer, In}, {"ExitCode", Integer, Out}, {"Result", Boolean, OutRetval}};
inline constexpr ParamInfo kSleep[] = {{"MSecs", Integer, In}};
inline constexpr ParamInfo kScreenWidth[] = {{"Width", Integer, OutRetval}};
inline constexpr ParamInfo kScreenHeight[] = {{"Height", Integer, OutRetval}};
inline constexpr ParamInfo kCursorX[] = {{"X", Integer, OutRetval}};
inline constexpr ParamInfo kCursorY[] = {{"Y", Integer, OutRetval}};
inline constexpr ParamInfo kReadAttr[] = {{"X", Integer, In}, {"Y", Integer, In}, {"Attr", Integer, OutRetval}};
inline constexpr ParamInfo kCheckAttr[] = {{"Left", Integer, In},   {"Top", Integer, In},
                                           {"Right", Integer, In},  {"Bottom", Integer, In},
                                           {"Attr", Integer, In},   {"Mask", Integer, In},
                                           {"CheckResult", Boolean, OutRetval}};
inline constexpr ParamInfo kMatchScreen[] = {{"Name", Text, In}, {"CheckResult", Boolean, OutRetval}};
inline constexpr ParamInfo kOpenConsole[] = {{"Command", Text, In}, {"Console", Variant, OutRetval}};
}  // namespace typelib_detail

// The dispatch identifiers of IZEBConsole's methods. They never change: a client compiled
// against the type library calls by them.
namespace dispid {
enum : int32_t {
    PutKeys = 1,
    RunCommand = 2,
    PutControl = 3,
    CheckString = 4,
    CheckRect = 5,
    ReadText = 6,
    Pause = 7,
    WaitString = 8,
    IsProcessActive = 9,
    KillProcess = 10,
    CheckWindow = 11,
    WaitQuiet = 12,
    FindString = 13,
    WaitFind = 14,
    FindPattern = 15,
    WaitPattern = 16,
    WaitExit = 17,
    Sleep = 18,
    ScreenWidth = 19,
    ScreenHeight = 20,
    CursorX = 21,
    CursorY = 22,
    ReadAttr = 23,
    CheckAttr = 24,
    MatchScreen = 25,
};
// IZEBConsApp's one method.
inline constexpr int32_t OpenConsole = 1;
}  // namespace dispid

// IZEBConsole's methods in slot order. The first eleven are the original interface; the
// later ones are appended after them, so existing callers keep their slots and identifiers.
inline constexpr std::array<MethodInfo, 25> IZEBConsoleMethods = {{
    {"PutKeys", dispid::PutKeys, 1, typelib_detail::kKeys},
    {"PutControl", dispid::PutControl, 2, typelib_detail::kKeys},
    {"CheckString", dispid::CheckString, 3, typelib_detail::kCheckString},
    {"CheckRect", dispid::CheckRect, 4, typelib_detail::kCheckRect},
    {"ReadText", dispid::ReadText, 5, typelib_detail::kReadText},
    {"Pause", dispid::Pause, 6, typelib_detail::kPause},
    {"WaitString", dispid::WaitString, 7, typelib_detail::kWaitString},
    {"IsProcessActive", dispid::IsProcessActive, 8, typelib_detail::kIsProcessActive},
    {"KillProcess", dispid::KillProcess, 9, {}},
    {"RunCommand", dispid::RunCommand, 10, typelib_detail::kRunCommand},
    {"CheckWindow", dispid::CheckWindow, 11, typelib_detail::kCheckWindow},
    {"WaitQuiet", dispid::WaitQuiet, 12, typelib_detail::kWaitQuiet},
    {"FindString", dispid::FindString, 13, typelib_detail::kFindString},
    {"WaitFind", dispid::WaitFind, 14, typelib_detail::kWaitFind},
    {"FindPattern", dispid::FindPattern, 15, typelib_detail::kFindPattern},
    {"WaitPattern", dispid::WaitPattern, 16, typelib_detail::kWaitPattern},
    {"WaitExit", dispid::WaitExit, 17, typelib_detail::kWaitExit},
    {"Sleep", dispid::Sleep, 18, typelib_detail::kSleep},
    {"ScreenWidth", dispid::ScreenWidth, 19, typelib_detail::kScreenWidth},
    {"ScreenHeight", dispid::ScreenHeight, 20, typelib_detail::kScreenHeight},
    {"CursorX", dispid::CursorX, 21, typelib_detail::kCursorX},
    {"CursorY", dispid::CursorY, 22, typelib_detail::kCursorY},
    {"ReadAttr", dispid::ReadAttr, 23, typelib_detail::kReadAttr},
    {"CheckAttr", dispid::CheckAttr, 24, typelib_detail::kCheckAttr},
    {"MatchScreen", dispid::MatchScreen, 25, typelib_detail::kMatchScreen},
}};

// The attribute bits of a cell as ReadAttr gives them and CheckAttr compares them, named
// for scripts: read-only members of the console object (Console.ForeRed, or ForeRed in a
// script), outside the method table. The colour bits are the ones the display and the
// copy formats draw with; Reverse and Underline mark cells the program wrote with those
// styles (their colours are already swapped for reverse).
struct ConstantInfo {
    std::string_view name;
    int32_t value;
    int32_t dispId;
};
inline constexpr std::array<ConstantInfo, 14> IZEBConsoleConstants = {{
    {"ForeBlue", 0x0001, 1001},
    {"ForeGreen", 0x0002, 1002},
    {"ForeRed", 0x0004, 1003},
    {"ForeIntense", 0x0008, 1004},
    {"BackBlue", 0x0010, 1005},
    {"BackGreen", 0x0020, 1006},
    {"BackRed", 0x0040, 1007},
    {"BackIntense", 0x0080, 1008},
    {"AttrReverse", 0x4000, 1009},
    {"AttrUnderline", 0x8000, 1010},
    {"ForeMask", 0x000F, 1011},
    {"BackMask", 0x00F0, 1012},
    {"ColorMask", 0x00FF, 1013},
    {"AttrMask", 0xC0FF, 1014},
}};

inline constexpr std::array<MethodInfo, 1> IZEBConsAppMethods = {{
    {"OpenConsole", dispid::OpenConsole, 1, typelib_detail::kOpenConsole},
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
static_assert(findMethod(IZEBConsoleInfo, 11)->slot == 11, "the original eleven keep their slots");
static_assert(typelib_detail::kReadText[3].name == "Buttom");

}  // namespace qp
