#pragma once
// The local automation server on the session bus. Each class has a connection of its own
// that owns the class's well-known name and serves its class object at "/", so a request
// reaches the class it names; objects live at "/QuorviaPallant/<class>/N" on the
// connection of their class.
//
// Single use: once a class object has made an object, its connection gives up the name and
// the bus activates another process for the next request. Counting: an object made for
// clients lives while a client holds it (the one that made it, every client it was handed
// to as a result, and every client that called it); a client lets go with Release or by leaving the bus. When the
// last counted object goes in a process started for automation, lastObjectReleased fires.
//
// The bus delivers messages to the main thread, which never waits for a method: each
// client's calls (and releases) are served in the order they came, one at a time, each
// method on a thread of its own, so a long call (typing, pausing, waiting for the screen)
// holds up neither the main thread nor other clients. Everything else (the objects, their
// holders, the answers) stays on the main thread. A client that leaves the bus has its
// call in progress stopped at once (see Cancellation.h) and its waiting calls dropped.
// runInAnotherInstance may be called from any thread.

#include "script/ConsoleSession.h"
#include "StartMode.h"
#include "script/TypeLibrary.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <stop_token>
#include <thread>
#include <vector>

class QDBusServiceWatcher;

namespace qp {

class AutomationServer : public QObject {
    Q_OBJECT
public:
    AutomationServer(std::shared_ptr<ConsoleSession> session, StartMode mode, QObject* parent = nullptr);
    ~AutomationServer() override;

    // Connects to the session bus, serves both class objects and asks for their names.
    // Throws std::runtime_error with the bus's message when that fails.
    void start();
    // Installs runInAnotherInstance as the session's runner for another instance.
    void installRemoteRunner();

    StartMode mode() const { return m_mode; }
    // Every class's connection to the bus is up.
    bool connected() const;
    // Live objects made for clients (the program's own console object is not counted).
    int objectCount() const { return m_count; }
    // The bus's unique name of a class's connection.
    QString uniqueName(const CoClassInfo& cls) const;
    bool ownsName(const CoClassInfo& cls) const;

    // Runs a command line in a console of another instance and returns its object. Gives
    // up this process's own console class name first: a process whose console is busy
    // must not be asked to serve the console it is looking for.
    vbs::ObjectRef runInAnotherInstance(const std::u16string& cmdLine);

    // Used by the bus's dispatch (ClassNode).
    bool handleMessage(size_t classIndex, const QDBusMessage& message);
    QString introspect(size_t classIndex, const QString& path) const;

signals:
    void lastObjectReleased();

private:
    struct BusObject {
        vbs::ObjectRef object;
        bool counted = true;
        std::set<QString> holders;             // clients holding the object
        std::vector<vbs::ObjectRef> kept;      // other instances' objects handed out through it
    };
    // A message waiting for its client's previous call to end.
    struct PendingCall {
        size_t classIndex = 0;
        QString path;
        QDBusMessage message;
        bool release = false;
    };
    struct ClientCalls {
        std::deque<PendingCall> waiting;
        bool running = false;     // a method of this client runs on a worker
        bool left = false;        // the client left the bus: its answers go nowhere
        std::stop_source stop;    // that method's stop
    };
    // A method's arguments and result, handed between the main thread and its worker.
    struct CallWork {
        vbs::ObjectRef object;
        vbs::DispId dispId = 0;
        std::vector<vbs::Variant> values;
        vbs::Result<vbs::Variant> result = vbs::Variant();
        QString madeForCaller;
    };
    static constexpr size_t kMaxWaitingCalls = 1024;  // per client
    static constexpr int kMaxRunningCalls = 256;      // in all

    struct ClassEndpoint {
        const CoClassInfo* cls = nullptr;
        QDBusConnection bus{QString()};
        QObject* node = nullptr;               // the ClassNode serving the tree
        QDBusServiceWatcher* watcher = nullptr;
        std::atomic<bool> ownsName{false};
        int nextId = 1;
        std::map<QString, BusObject> objects;  // by path
    };

    void createInstance(size_t classIndex, const QDBusMessage& message);
    void enqueue(const QString& client, PendingCall call);
    void serveNext(const QString& client);
    void releaseCall(const PendingCall& call);
    // False when the call was answered at once (an error); true when a worker runs it.
    bool startCall(const QString& client, const PendingCall& call);
    void finishCall(uint64_t worker, const QString& client, const PendingCall& call, CallWork& work);
    void clientCallsEnd(const QString& client);
    void release(size_t classIndex, const QString& path, const QString& client);
    void clientLeft(size_t classIndex, const QString& client);
    QString addObject(size_t classIndex, vbs::ObjectRef object, bool counted);
    void holdBy(size_t classIndex, const QString& path, const QString& client);
    void dropIfUnheld(size_t classIndex, const QString& path);
    void giveUpName(size_t classIndex);
    QString ensureConsoleObject();
    // The (bus name, path) of an object that a method returned, held by `client` from now on.
    std::pair<QString, QString> referenceTo(size_t callerClass, const QString& callerPath,
                                            const vbs::ObjectRef& object, const QString& client);
    std::pair<size_t, QString> findLocal(const vbs::Object* object) const;

    std::shared_ptr<ConsoleSession> m_session;
    StartMode m_mode;
    std::array<std::unique_ptr<ClassEndpoint>, 2> m_classes;  // ZEBConsole, ZEBConsApp
    int m_count = 0;
    std::map<QString, ClientCalls> m_clientCalls;  // clients with calls running or waiting
    std::map<uint64_t, std::thread> m_workers;
    uint64_t m_nextWorker = 1;
    int m_running = 0;
};

}  // namespace qp
