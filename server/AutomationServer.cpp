#include "AutomationServer.h"

#include "BusNames.h"
#include "console/Cancellation.h"
#include "vbs/Coerce.h"
#include "Introspection.h"
#include "RemoteConsole.h"
#include "script/ZEBConsApp.h"
#include "script/ZEBConsole.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QTimer>

#include <stdexcept>

namespace qp {

namespace {
constexpr size_t kConsole = 0, kApp = 1;
const std::array<const CoClassInfo*, 2> kClassOrder = {&ZEBConsoleClass, &ZEBConsAppClass};

QString str(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// Serves one class's connection: every path goes to the server.
class ClassNode final : public QDBusVirtualObject {
public:
    ClassNode(AutomationServer* server, size_t classIndex) : m_server(server), m_index(classIndex) {}
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        return m_server->handleMessage(m_index, message);
    }
    QString introspect(const QString& path) const override { return m_server->introspect(m_index, path); }

private:
    AutomationServer* m_server;
    size_t m_index;
};

QVariant referenceArgument(const QString& service, const QString& path)
{
    QDBusArgument arg;
    arg.beginStructure();
    arg << service << QDBusObjectPath(path);
    arg.endStructure();
    return QVariant::fromValue(arg);
}

const MethodInfo* methodNamed(const InterfaceInfo& iface, const QString& name)
{
    for (const MethodInfo& m : iface.methods)
        if (str(m.name) == name)
            return &m;
    return nullptr;
}
}  // namespace

AutomationServer::AutomationServer(std::shared_ptr<ConsoleSession> session, StartMode mode, QObject* parent)
    : QObject(parent), m_session(std::move(session)), m_mode(mode)
{
    for (size_t i = 0; i < m_classes.size(); ++i) {
        m_classes[i] = std::make_unique<ClassEndpoint>();
        m_classes[i]->cls = kClassOrder[i];
    }
}

AutomationServer::~AutomationServer()
{
    // Calls still in progress end at once; their answers are not sent.
    for (auto& [client, calls] : m_clientCalls)
        calls.stop.request_stop();
    for (auto& [id, worker] : m_workers)
        worker.join();
    m_workers.clear();
    if (m_session)
        m_session->setRemoteRunner(nullptr);
    for (auto& ep : m_classes) {
        if (!ep->bus.isConnected())
            continue;
        ep->bus.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
        ep->objects.clear();
        QDBusConnection::disconnectFromBus(ep->bus.name());
        delete ep->node;
    }
}

void AutomationServer::start()
{
    for (size_t i = 0; i < m_classes.size(); ++i) {
        ClassEndpoint& ep = *m_classes[i];
        const QString connectionName = QStringLiteral("qp-server-") + str(ep.cls->name);
        ep.bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
        if (!ep.bus.isConnected())
            throw std::runtime_error(ep.bus.lastError().message().toStdString());
        ep.node = new ClassNode(this, i);
        if (!ep.bus.registerVirtualObject(QStringLiteral("/"), static_cast<QDBusVirtualObject*>(ep.node),
                                          QDBusConnection::SubPath))
            throw std::runtime_error("The class object cannot be offered on the bus");
        ep.watcher = new QDBusServiceWatcher(QString(), ep.bus, QDBusServiceWatcher::WatchForUnregistration, this);
        connect(ep.watcher, &QDBusServiceWatcher::serviceUnregistered, this,
                [this, i](const QString& client) { clientLeft(i, client); });
        // Another process may own the name already (a second stand-alone start): then this
        // one simply serves no requests of that class.
        ep.ownsName = ep.bus.registerService(str(ep.cls->progId));
    }
}

void AutomationServer::installRemoteRunner()
{
    m_session->setRemoteRunner([this](const std::u16string& cmdLine) { return runInAnotherInstance(cmdLine); });
}

bool AutomationServer::connected() const
{
    for (const auto& ep : m_classes)
        if (!ep->bus.isConnected())
            return false;
    return true;
}

QString AutomationServer::uniqueName(const CoClassInfo& cls) const
{
    return m_classes[&cls == &ZEBConsoleClass ? kConsole : kApp]->bus.baseService();
}

bool AutomationServer::ownsName(const CoClassInfo& cls) const
{
    return m_classes[&cls == &ZEBConsoleClass ? kConsole : kApp]->ownsName.load();
}

vbs::ObjectRef AutomationServer::runInAnotherInstance(const std::u16string& cmdLine)
{
    giveUpName(kConsole);
    return RunInRemoteConsole(QDBusConnection::sessionBus(), cmdLine);
}

void AutomationServer::giveUpName(size_t classIndex)
{
    ClassEndpoint& ep = *m_classes[classIndex];
    if (ep.ownsName.exchange(false))
        ep.bus.unregisterService(str(ep.cls->progId));
}

// --- the bus's calls ------------------------------------------------------------------------

bool AutomationServer::handleMessage(size_t classIndex, const QDBusMessage& message)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString iface = message.interface();
    if (iface.startsWith(QLatin1String("org.freedesktop.DBus.")))
        return false;  // introspection and the peer interface: the bus library answers
    ClassEndpoint& ep = *m_classes[classIndex];
    const QString path = message.path();
    if (path == QLatin1String("/")) {
        if (message.member() == QLatin1String("CreateInstance") && (iface.isEmpty() || iface == str(ClassFactoryInterface)))
            createInstance(classIndex, message);
        else
            ep.bus.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method")));
        return true;
    }
    if (!ep.objects.count(path)) {
        ep.bus.send(message.createErrorReply(QDBusError::UnknownObject, QStringLiteral("No such object: ") + path));
        return true;
    }
    // Calls and releases of one client are served in the order they came, each once the one
    // before has been answered; different clients' calls run side by side.
    const bool isRelease = message.member() == QLatin1String("Release") &&
                           (iface.isEmpty() || iface == str(BusInterfaceName(*ep.cls->defaultInterface)));
    enqueue(message.service(), PendingCall{classIndex, path, message, isRelease});
    return true;
}

// --- each client's calls, in order, off the main thread -----------------------------------

void AutomationServer::enqueue(const QString& client, PendingCall call)
{
    ClientCalls& calls = m_clientCalls[client];
    if (calls.waiting.size() >= kMaxWaitingCalls) {
        m_classes[call.classIndex]->bus.send(call.message.createErrorReply(
            str(AutomationErrorName), QStringLiteral("Too many calls of this client are waiting")));
        return;
    }
    calls.waiting.push_back(std::move(call));
    if (!calls.running)
        serveNext(client);
}

void AutomationServer::serveNext(const QString& client)
{
    for (;;) {
        auto it = m_clientCalls.find(client);
        if (it == m_clientCalls.end())
            return;
        ClientCalls& calls = it->second;
        if (calls.running)
            return;
        if (calls.waiting.empty()) {
            m_clientCalls.erase(it);
            return;
        }
        PendingCall call = std::move(calls.waiting.front());
        calls.waiting.pop_front();
        if (call.release) {
            releaseCall(call);
            continue;
        }
        if (startCall(client, call))
            return;  // answered when its worker is done
    }
}

void AutomationServer::releaseCall(const PendingCall& call)
{
    ClassEndpoint& ep = *m_classes[call.classIndex];
    const QString client = call.message.service();
    auto it = ep.objects.find(call.path);
    if (it == ep.objects.end()) {
        ep.bus.send(call.message.createErrorReply(QDBusError::UnknownObject, QStringLiteral("No such object: ") + call.path));
        return;
    }
    if (!call.message.signature().isEmpty()) {
        ep.bus.send(call.message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("Release takes no arguments")));
        return;
    }
    if (!it->second.holders.count(client)) {
        ep.bus.send(call.message.createErrorReply(str(AutomationErrorName), QStringLiteral("This client holds no reference to the object")));
        return;
    }
    ep.bus.send(call.message.createReply());
    release(call.classIndex, call.path, client);
}

void AutomationServer::clientCallsEnd(const QString& client)
{
    auto it = m_clientCalls.find(client);
    if (it == m_clientCalls.end())
        return;
    it->second.left = true;
    it->second.waiting.clear();  // nobody is there to answer
    it->second.stop.request_stop();  // the call in progress ends at once
}

void AutomationServer::createInstance(size_t classIndex, const QDBusMessage& message)
{
    ClassEndpoint& ep = *m_classes[classIndex];
    if (!ep.ownsName.load()) {
        ep.bus.send(message.createErrorReply(str(AutomationErrorName),
                                             QStringLiteral("This class object has already made its object")));
        return;
    }
    vbs::ObjectRef object;
    if (classIndex == kConsole)
        object = ZEBConsole::create(m_session);
    else
        object = ZEBConsApp::create(m_session);
    const QString path = addObject(classIndex, object, true);
    if (classIndex == kConsole && m_mode == StartMode::Automation)
        m_session->setConsoleObject(object);
    holdBy(classIndex, path, message.service());
    giveUpName(classIndex);  // before the answer: the next request goes elsewhere
    ep.bus.send(message.createReply(QVariantList{referenceArgument(ep.bus.baseService(), path)}));
}

bool AutomationServer::startCall(const QString& client, const PendingCall& call)
{
    const size_t classIndex = call.classIndex;
    const QString& path = call.path;
    const QDBusMessage& message = call.message;
    ClassEndpoint& ep = *m_classes[classIndex];
    if (!ep.objects.count(path)) {
        ep.bus.send(message.createErrorReply(QDBusError::UnknownObject, QStringLiteral("No such object: ") + path));
        return false;
    }
    const InterfaceInfo& info = *ep.cls->defaultInterface;
    const MethodInfo* method = methodNamed(info, message.member());
    if (!method || (!message.interface().isEmpty() && message.interface() != str(BusInterfaceName(info)))) {
        ep.bus.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method: ") + message.member()));
        return false;
    }
    const QString expected = QString::fromStdString(InSignature(*method));
    if (message.signature() != expected) {
        ep.bus.send(message.createErrorReply(QDBusError::InvalidArgs,
                                             QStringLiteral("Arguments of type \"%1\" expected").arg(expected)));
        return false;
    }
    if (m_running >= kMaxRunningCalls) {
        ep.bus.send(message.createErrorReply(str(AutomationErrorName), QStringLiteral("Too many calls are in progress")));
        return false;
    }
    // The arguments as the dispatch side takes them, out parameters as empty slots.
    auto work = std::make_shared<CallWork>();
    const QVariantList in = message.arguments();
    work->values.reserve(method->params.size());
    int next = 0;
    for (const ParamInfo& p : method->params) {
        if (p.dir == ParamDir::OutRetval)
            continue;
        if (p.dir == ParamDir::Out)
            work->values.emplace_back();
        else if (p.type == ParamType::Integer)
            work->values.push_back(vbs::Variant::fromLong(in[next++].toInt()));
        else
            work->values.push_back(vbs::Variant::fromString(in[next++].toString().toStdU16String()));
    }
    // A client that calls an object holds it from then on: an object handed out by another
    // instance reaches its client without passing through this process again.
    holdBy(classIndex, path, client);
    if (classIndex == kApp)
        work->madeForCaller = ensureConsoleObject();
    work->object = ep.objects[path].object;  // alive through the call, whatever it releases
    work->dispId = method->dispId;

    ClientCalls& calls = m_clientCalls[client];
    calls.running = true;
    calls.stop = std::stop_source();
    ++m_running;
    const uint64_t id = m_nextWorker++;
    const std::stop_token stop = calls.stop.get_token();
    // The call runs on a thread of its own, so the main thread goes on serving every other
    // client; its answer is sent from the main thread once it is done.
    m_workers.emplace(id, std::thread([this, id, work, stop, client, call] {
        {
            const OutsideCallScope outside;
            const StopScope scope(stop);
            std::vector<vbs::ArgSlot> argSlots;
            for (vbs::Variant& v : work->values)
                argSlots.push_back({&v, true});
            vbs::Args args(argSlots);
            work->result = work->object->invoke(work->dispId, vbs::InvokeKind::Method, args);
        }
        QMetaObject::invokeMethod(this, [this, id, work, client, call] { finishCall(id, client, call, *work); },
                                  Qt::QueuedConnection);
    }));
    return true;
}

void AutomationServer::finishCall(uint64_t worker, const QString& client, const PendingCall& call, CallWork& work)
{
    if (auto t = m_workers.find(worker); t != m_workers.end()) {
        t->second.join();  // it has posted this and ends now
        m_workers.erase(t);
    }
    --m_running;
    const size_t classIndex = call.classIndex;
    const QString& path = call.path;
    const QDBusMessage& message = call.message;
    ClassEndpoint& ep = *m_classes[classIndex];
    const MethodInfo* method = methodNamed(*ep.cls->defaultInterface, message.member());
    const auto& result = work.result;
    auto calls = m_clientCalls.find(client);
    const bool left = calls == m_clientCalls.end() || calls->second.left;
    if (left) {
        // Nobody is there to answer, and nothing it returned is handed to anyone.
    } else if (!result) {
        const vbs::ErrorInfo& e = result.error();
        const QString text = e.description.empty() ? QStringLiteral("Error %1").arg(e.number)
                                                   : QString::fromStdU16String(e.description);
        ep.bus.send(message.createErrorReply(str(AutomationErrorName), text));
    } else {
        QVariantList out;
        size_t slot = 0;
        for (const ParamInfo& p : method->params) {
            if (p.dir == ParamDir::Out) {
                const vbs::Variant& v = work.values[slot];
                if (p.type == ParamType::Integer) {
                    auto n = vbs::toLong(v);
                    out << int(n ? n.value() : -1);
                } else {
                    out << (v.isString() ? QString::fromStdU16String(v.string()) : QString());
                }
            } else if (p.dir == ParamDir::OutRetval) {
                const vbs::Variant& r = result.value();
                if (p.type == ParamType::Boolean) {
                    out << (r.type() == vbs::VarType::Boolean && r.boolValue());
                } else if (p.type == ParamType::Integer) {
                    auto n = vbs::toLong(r);
                    out << int(n ? n.value() : 0);
                } else {
                    const vbs::ObjectRef returned = r.isObject() ? r.objectRef() : nullptr;
                    const auto [service, objectPath] = referenceTo(classIndex, path, returned, client);
                    out << referenceArgument(service, objectPath);
                }
            }
            if (p.dir != ParamDir::OutRetval)
                ++slot;
        }
        ep.bus.send(message.createReply(out));
    }
    work.object = nullptr;
    work.result = vbs::Variant();
    if (!work.madeForCaller.isEmpty())
        dropIfUnheld(kConsole, work.madeForCaller);
    if (calls != m_clientCalls.end())
        calls->second.running = false;
    serveNext(client);
}

// A client asking the application object for a console in a process started for automation
// that has no console object yet: the command would run in a console nobody can reach, so
// the process makes its console object now, counted and held by whoever receives it.
QString AutomationServer::ensureConsoleObject()
{
    if (m_mode != StartMode::Automation || m_session->consoleObject() || m_session->console().isProgramActive())
        return QString();
    vbs::ObjectRef object = ZEBConsole::create(m_session);
    const QString path = addObject(kConsole, object, true);
    m_session->setConsoleObject(object);
    giveUpName(kConsole);  // at most one console object per process
    return path;
}

std::pair<QString, QString> AutomationServer::referenceTo(size_t callerClass, const QString& callerPath,
                                                          const vbs::ObjectRef& object, const QString& client)
{
    if (!object)
        return {QString(), str(NothingPath)};
    if (auto* remote = dynamic_cast<RemoteConsole*>(object.get())) {
        // Kept until the object it came through goes: the client reaches it directly.
        auto& objects = m_classes[callerClass]->objects;
        if (auto it = objects.find(callerPath); it != objects.end())
            it->second.kept.push_back(object);
        return {remote->service(), remote->path()};
    }
    auto [index, path] = findLocal(object.get());
    if (path.isEmpty()) {
        index = kConsole;  // the program's own console object, not counted
        path = addObject(kConsole, object, false);
    }
    holdBy(index, path, client);
    return {m_classes[index]->bus.baseService(), path};
}

std::pair<size_t, QString> AutomationServer::findLocal(const vbs::Object* object) const
{
    for (size_t i = 0; i < m_classes.size(); ++i)
        for (const auto& [path, record] : m_classes[i]->objects)
            if (record.object.get() == object)
                return {i, path};
    return {0, QString()};
}

// --- objects and their holders -------------------------------------------------------------

QString AutomationServer::addObject(size_t classIndex, vbs::ObjectRef object, bool counted)
{
    ClassEndpoint& ep = *m_classes[classIndex];
    const QString path = QString::fromStdString(ObjectFolder(*ep.cls)) + QLatin1Char('/') + QString::number(ep.nextId++);
    BusObject& record = ep.objects[path];
    record.object = std::move(object);
    record.counted = counted;
    if (counted)
        ++m_count;
    return path;
}

void AutomationServer::holdBy(size_t classIndex, const QString& path, const QString& client)
{
    ClassEndpoint& ep = *m_classes[classIndex];
    ep.objects[path].holders.insert(client);
    if (ep.watcher->watchedServices().contains(client))
        return;
    ep.watcher->addWatchedService(client);
    // A client that left before the watch began is never reported: ask once.
    if (!ep.bus.interface()->isServiceRegistered(client).value())
        QTimer::singleShot(0, this, [this, classIndex, client] { clientLeft(classIndex, client); });
}

void AutomationServer::release(size_t classIndex, const QString& path, const QString& client)
{
    ClassEndpoint& ep = *m_classes[classIndex];
    auto it = ep.objects.find(path);
    if (it == ep.objects.end())
        return;
    it->second.holders.erase(client);
    dropIfUnheld(classIndex, path);
}

void AutomationServer::dropIfUnheld(size_t classIndex, const QString& path)
{
    ClassEndpoint& ep = *m_classes[classIndex];
    auto it = ep.objects.find(path);
    if (it == ep.objects.end() || !it->second.holders.empty() || !it->second.counted)
        return;
    BusObject gone = std::move(it->second);
    ep.objects.erase(it);
    // The process's console object is never used once its client let it go.
    if (m_session->consoleObject().get() == gone.object.get())
        m_session->clearConsoleObject();
    if (--m_count == 0 && m_mode == StartMode::Automation)
        emit lastObjectReleased();
}

void AutomationServer::clientLeft(size_t classIndex, const QString& client)
{
    clientCallsEnd(client);
    ClassEndpoint& ep = *m_classes[classIndex];
    ep.watcher->removeWatchedService(client);
    std::vector<QString> held;
    for (const auto& [path, record] : ep.objects)
        if (record.holders.count(client))
            held.push_back(path);
    for (const QString& path : held)
        release(classIndex, path, client);
}

// --- introspection ----------------------------------------------------------------------------

QString AutomationServer::introspect(size_t classIndex, const QString& path) const
{
    const ClassEndpoint& ep = *m_classes[classIndex];
    const QString library = str(QuorviaTypeLibrary.name);
    const QString folder = QString::fromStdString(ObjectFolder(*ep.cls));
    auto child = [](const QString& name) { return QStringLiteral("  <node name=\"%1\"/>\n").arg(name); };
    if (path == QLatin1String("/"))
        return QString::fromStdString(ClassFactoryXml()) + child(library);
    if (path == QLatin1Char('/') + library)
        return child(str(ep.cls->name));
    if (path == folder) {
        QString xml;
        for (const auto& [objectPath, record] : ep.objects)
            xml += child(objectPath.mid(folder.size() + 1));
        return xml;
    }
    if (ep.objects.count(path))
        return QString::fromStdString(InterfaceXml(*ep.cls->defaultInterface));
    return QString();
}

}  // namespace qp
