#pragma once
// The D-Bus descriptions of the automation interfaces, made from the type library's tables:
// what the bus objects answer to Introspect and what registration writes as interface files.

#include "script/TypeLibrary.h"

#include <string>

namespace qp {

// The D-Bus type of a parameter: a text 's', an integer 'i', a Boolean 'b'; a variant that
// returns an object reference '(so)' (bus name, object path), ReadText's text out 's'.
std::string BusType(const ParamInfo& param);
// The input signature of a method: its in parameters' types in order.
std::string InSignature(const MethodInfo& method);

// One <interface> element (indented by `indent` blanks): the methods in slot order with the
// type library's argument names, then Release().
std::string InterfaceXml(const InterfaceInfo& iface, int indent = 2);
// The class object's interface: CreateInstance() -> (so).
std::string ClassFactoryXml(int indent = 2);
// A whole interface file: the D-Bus document type and a <node> around the interface.
std::string InterfaceDocument(const std::string& interfaceXml);

}  // namespace qp
