#pragma once
// The generic half of the automation objects' dispatch: names to identifiers from the
// type library's tables, and a call's arguments checked and converted to the parameter
// types, as the automation layer does before a method runs.

#include "vbs/ErrorInfo.h"
#include "vbs/Object.h"
#include "TypeLibrary.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qp {

// The member's identifier for a name (compared without regard to case), or unknown.
vbs::DispId dispIdOf(const InterfaceInfo& iface, std::u16string_view name);

// An argument converted to its parameter's type; out parameters stay monostate.
using ArgValue = std::variant<std::monostate, int32_t, std::u16string>;

// The arguments of a call of `method`: error 438 for a property assignment, 450 for a
// wrong count, and the conversion's own error (13, 6, 94) for a value that does not fit.
vbs::Result<std::vector<ArgValue>> convertArguments(const MethodInfo& method, vbs::InvokeKind kind,
                                                    const vbs::Args& args);

// The same for a method of IZEBConsole, local or remote: ReadText's Readed is cleared on
// entry first, so a failed call leaves it empty.
vbs::Result<std::vector<ArgValue>> consoleArguments(const MethodInfo& method, vbs::InvokeKind kind,
                                                    vbs::Args& args);

inline int32_t intArg(const std::vector<ArgValue>& a, size_t i) { return std::get<int32_t>(a[i]); }
inline const std::u16string& textArg(const std::vector<ArgValue>& a, size_t i) {
    return std::get<std::u16string>(a[i]);
}

}  // namespace qp
