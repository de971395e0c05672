#pragma once
// The names under which the automation objects appear on the session bus.

#include "script/TypeLibrary.h"

#include <string>
#include <string_view>

namespace qp {

// The class object of each class, at "/" of the process that owns the class's name.
inline constexpr std::string_view ClassFactoryInterface = "QuorviaPallant.ClassFactory";
inline constexpr std::string_view ClassObjectPath = "/";
// The one error name of failed methods; its message is the error's description.
inline constexpr std::string_view AutomationErrorName = "QuorviaPallant.Error";
// The object path and the text of an empty object reference.
inline constexpr std::string_view NothingPath = "/";

// "QuorviaPallant.IZEBConsole": the library's name, a dot and the interface's name.
inline std::string BusInterfaceName(const InterfaceInfo& iface)
{
    return std::string(QuorviaTypeLibrary.name) + "." + std::string(iface.name);
}
// "/QuorviaPallant/ZEBConsole": the folder of a class's objects (each at "/N" below it).
inline std::string ObjectFolder(const CoClassInfo& cls)
{
    return "/" + std::string(QuorviaTypeLibrary.name) + "/" + std::string(cls.name);
}

}  // namespace qp
