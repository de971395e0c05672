#include "Introspection.h"

#include "BusNames.h"

namespace qp {

std::string BusType(const ParamInfo& param)
{
    switch (param.type) {
    case ParamType::Text: return "s";
    case ParamType::Integer: return "i";
    case ParamType::Boolean: return "b";
    case ParamType::Variant: return param.dir == ParamDir::OutRetval ? "(so)" : "s";
    }
    return "v";
}

std::string InSignature(const MethodInfo& method)
{
    std::string sig;
    for (const ParamInfo& p : method.params)
        if (p.dir == ParamDir::In)
            sig += BusType(p);
    return sig;
}

namespace {
std::string arg(std::string_view name, const std::string& type, bool in, const std::string& pad)
{
    return pad + "<arg name=\"" + std::string(name) + "\" type=\"" + type + "\" direction=\"" +
           (in ? "in" : "out") + "\"/>\n";
}
}  // namespace

std::string InterfaceXml(const InterfaceInfo& iface, int indent)
{
    const std::string pad(indent, ' '), pad2(indent + 2, ' '), pad4(indent + 4, ' ');
    std::string xml = pad + "<interface name=\"" + BusInterfaceName(iface) + "\">\n";
    for (const MethodInfo& m : iface.methods) {
        xml += pad2 + "<method name=\"" + std::string(m.name) + "\">\n";
        for (const ParamInfo& p : m.params)
            xml += arg(p.name, BusType(p), p.dir == ParamDir::In, pad4);
        xml += pad2 + "</method>\n";
    }
    xml += pad2 + "<method name=\"Release\"/>\n";
    xml += pad + "</interface>\n";
    return xml;
}

std::string ClassFactoryXml(int indent)
{
    const std::string pad(indent, ' '), pad2(indent + 2, ' '), pad4(indent + 4, ' ');
    return pad + "<interface name=\"" + std::string(ClassFactoryInterface) + "\">\n" + pad2 +
           "<method name=\"CreateInstance\">\n" + arg("Object", "(so)", false, pad4) + pad2 + "</method>\n" +
           pad + "</interface>\n";
}

std::string InterfaceDocument(const std::string& interfaceXml)
{
    return "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
           "<node>\n" + interfaceXml + "</node>\n";
}

}  // namespace qp
