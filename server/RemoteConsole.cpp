#include "RemoteConsole.h"

#include "script/AutomationError.h"
#include "BusNames.h"
#include "vbs/Coerce.h"
#include "vbs/Errors.h"
#include "script/Dispatch.h"
#include "Introspection.h"
#include "script/TypeLibrary.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <limits>
#include <stdexcept>

namespace qp {

namespace {
// The waiting methods may take as long as their caller asks: no time limit of our own.
constexpr int kNoTimeout = std::numeric_limits<int>::max();
constexpr int kReleaseTimeoutMs = 2000;

QString busString(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The (bus name, object path) of an object reference in a reply argument.
bool readReference(const QVariant& value, QString& service, QString& path)
{
    if (!value.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("(so)"))
        return false;
    QDBusObjectPath objectPath;
    arg.beginStructure();
    arg >> service >> objectPath;
    arg.endStructure();
    path = objectPath.path();
    return true;
}

vbs::ErrorInfo errorOf(const QDBusMessage& reply)
{
    return vbs::ErrorInfo{kUnexpectedFailure, std::u16string(RemoteConsole::Source),
                          reply.errorMessage().toStdU16String()};
}
}  // namespace

vbs::Ref<RemoteConsole> RemoteConsole::create(QDBusConnection bus, QString service, QString path, vbs::ObjectRef keep)
{
    return vbs::Ref<RemoteConsole>(new RemoteConsole(std::move(bus), std::move(service), std::move(path), std::move(keep)));
}

RemoteConsole::RemoteConsole(QDBusConnection bus, QString service, QString path, vbs::ObjectRef keep)
    : m_bus(std::move(bus)), m_service(std::move(service)), m_path(std::move(path)), m_keep(std::move(keep))
{
}

RemoteConsole::~RemoteConsole()
{
    // Waits for the answer (briefly): a message merely queued may be lost when this process
    // ends right after, and the other instance would then live on. Its failure (the other
    // process is gone already) is ignored.
    QDBusMessage release = QDBusMessage::createMethodCall(m_service, m_path, busString(BusInterfaceName(IZEBConsoleInfo)),
                                                          QStringLiteral("Release"));
    release.setAutoStartService(false);
    m_bus.call(release, QDBus::Block, kReleaseTimeoutMs);
}

vbs::DispId RemoteConsole::dispId(std::u16string_view name) { return dispIdOf(IZEBConsoleInfo, name); }

vbs::Result<vbs::Variant> RemoteConsole::invoke(vbs::DispId id, vbs::InvokeKind kind, vbs::Args& args)
{
    const MethodInfo* method = findMethod(IZEBConsoleInfo, id);
    if (!method)
        return vbs::runtimeError(vbs::err::NoSuchMember);
    auto converted = consoleArguments(*method, kind, args);
    if (!converted)
        return converted.error();

    QDBusMessage call = QDBusMessage::createMethodCall(m_service, m_path, busString(BusInterfaceName(IZEBConsoleInfo)),
                                                       busString(method->name));
    call.setAutoStartService(false);
    QList<QVariant> values;
    for (size_t i = 0; i < method->params.size(); ++i) {
        if (method->params[i].dir != ParamDir::In)
            continue;
        const ArgValue& a = converted.value()[i];
        if (const int32_t* n = std::get_if<int32_t>(&a))
            values << QVariant(int(*n));
        else
            values << QVariant(QString::fromStdU16String(std::get<std::u16string>(a)));
    }
    call.setArguments(values);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kNoTimeout);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return errorOf(reply);

    // The reply carries the out values in the order of the parameters, the result among them.
    const QList<QVariant> out = reply.arguments();
    qsizetype next = 0;
    QVariant result;
    for (size_t i = 0; i < method->params.size() && next < out.size(); ++i) {
        const ParamInfo& p = method->params[i];
        if (p.dir == ParamDir::OutRetval) {
            result = out[next++];
        } else if (p.dir == ParamDir::Out) {
            const QVariant& v = out[next++];
            args.set(i, p.type == ParamType::Integer ? vbs::Variant::fromLong(v.toInt())
                                                     : vbs::Variant::fromString(v.toString().toStdU16String()));
        }
    }
    const ParamInfo* retval = method->retval();
    if (!retval || !result.isValid())
        return vbs::Variant();
    if (retval->type == ParamType::Boolean)
        return vbs::Variant::fromBool(result.toBool());
    if (retval->type == ParamType::Integer)
        return vbs::Variant::fromLong(result.toInt());
    QString service, path;
    if (!readReference(result, service, path))
        return vbs::ErrorInfo{kUnexpectedFailure, std::u16string(Source), u"The reply of the other instance is not an object reference"};
    if (service.isEmpty())
        return vbs::Variant::nothing();
    if (service == m_service && path == m_path)
        return vbs::Variant::fromObject(vbs::ObjectRef(this));
    return vbs::Variant::fromObject(create(m_bus, service, path, vbs::ObjectRef(this)));
}

vbs::ObjectRef RunInRemoteConsole(QDBusConnection bus, const std::u16string& cmdLine)
{
    const QDBusMessage create = QDBusMessage::createMethodCall(
        busString(ZEBConsoleClass.progId), busString(ClassObjectPath), busString(ClassFactoryInterface),
        QStringLiteral("CreateInstance"));
    const QDBusMessage reply = bus.call(create, QDBus::Block, kNoTimeout);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw std::runtime_error(reply.errorMessage().toStdString());
    QString service, path;
    if (reply.arguments().isEmpty() || !readReference(reply.arguments().front(), service, path))
        throw std::runtime_error("The class object of another instance gave no object reference");

    vbs::Ref<RemoteConsole> console = RemoteConsole::create(bus, service, path);
    vbs::Variant command = vbs::Variant::fromString(cmdLine);
    vbs::ArgSlot slot{&command, false};
    vbs::Args args(std::span<vbs::ArgSlot>(&slot, 1));
    auto result = console->invoke(dispid::RunCommand, vbs::InvokeKind::Method, args);
    if (!result)
        throw FailureCodeError(result.error().number, std::string(QString::fromStdU16String(result.error().description).toUtf8()));
    return result.value().isObject() ? result.value().objectRef() : nullptr;
}

}  // namespace qp
