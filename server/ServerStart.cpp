#include "ServerStart.h"

#include "Registration.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace qp {

std::filesystem::path ProgramFile()
{
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self;
}

std::optional<int> UpdateRegistration(StartMode mode, const std::filesystem::path& program,
                                      const std::filesystem::path& dataHome)
{
    if (mode == StartMode::Unregister) {
        RemoveRegistration(dataHome);
        return 0;
    }
    try {
        WriteRegistration(program, dataHome);
    } catch (const RegistrationError& e) {
        if (mode == StartMode::Register) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    if (mode == StartMode::Register)
        return 0;
    return std::nullopt;
}

bool UseOffscreenWithoutDisplay(StartMode mode)
{
    auto set = [](const char* name) { const char* v = std::getenv(name); return v && *v; };
    if (mode != StartMode::Automation || set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY"))
        return false;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return true;
}

std::unique_ptr<AutomationServer> StartAutomationServer(std::shared_ptr<ConsoleSession> session, StartMode mode)
{
    if (!session)
        return nullptr;
    auto server = std::make_unique<AutomationServer>(std::move(session), mode);
    try {
        server->start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pallant: no automation server: %s\n", e.what());
        return nullptr;
    }
    server->installRemoteRunner();
    // exit, not quit: quit would close the window through its quit confirmation.
    QObject::connect(server.get(), &AutomationServer::lastObjectReleased, QCoreApplication::instance(),
                     [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    if (mode == StartMode::Automation) {
        // Nobody can reach a server whose bus is gone (the session ended): it ends too.
        auto* watch = new QTimer(server.get());
        QObject::connect(watch, &QTimer::timeout, server.get(), [s = server.get()] {
            if (!s->connected())
                QCoreApplication::exit(0);
        });
        watch->start(1000);
    }
    return server;
}

bool ConfirmTerminateWithObjects(QWidget* parent, int objectCount)
{
    if (objectCount <= 0)
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("COM Server Warning"),
                    QStringLiteral("There are still active COM objects in this application.  One or more clients may "
                                   "have references to these objects, so manually closing "
                                   "this application may cause those client application(s) to fail.\r\n\r\n"
                                   "Are you sure you want to close this application?"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace qp
