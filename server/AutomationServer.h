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
// Everything here runs on the main thread: the bus delivers calls to the thread that
// owns the server's objects. runInAnotherInstance may be called from any thread.

#include "script/ConsoleSession.h"
#include "StartMode.h"
#include "script/TypeLibrary.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <vector>

class QDBusMessage;
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
    void callMethod(size_t classIndex, const QString& path, const QDBusMessage& message);
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
};

}  // namespace qp
