#pragma once
// A console object of another instance, seen through the session bus: it answers the
// engine's dispatch calls by calling the same methods of the object over the bus, so a
// script holds it as it holds its own Console. Dropping the last reference releases the
// remote object.

#include "vbs/Object.h"

#include <QDBusConnection>
#include <QString>

namespace qp {

class RemoteConsole final : public vbs::Object {
public:
    static constexpr std::u16string_view Source = u"QuorviaPallant.ZEBConsole";

    // `keep` stays referenced as long as this object: the object through which this one was
    // obtained, when it handed out another instance's console.
    static vbs::Ref<RemoteConsole> create(QDBusConnection bus, QString service, QString path,
                                          vbs::ObjectRef keep = nullptr);
    ~RemoteConsole() override;

    const QString& service() const { return m_service; }
    const QString& path() const { return m_path; }

    vbs::DispId dispId(std::u16string_view name) override;
    vbs::Result<vbs::Variant> invoke(vbs::DispId id, vbs::InvokeKind kind, vbs::Args& args) override;
    std::u16string typeName() const override { return u"IZEBConsole"; }

private:
    RemoteConsole(QDBusConnection bus, QString service, QString path, vbs::ObjectRef keep);

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    vbs::ObjectRef m_keep;
};

// Creates a console object in another instance through the bus (the class object of the
// console class's well-known name, which the bus activates when no process owns it) and
// runs the command line there; returns the console object where the command runs. Throws
// with the bus's message when the object cannot be made.
vbs::ObjectRef RunInRemoteConsole(QDBusConnection bus, const std::u16string& cmdLine);

}  // namespace qp
