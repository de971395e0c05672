// pallant: the desktop program. Its arguments are the command line of the program under
// test.
#include "desktop/ErrorBox.h"
#include "server/Registration.h"
#include "server/ServerStart.h"
#include "MainWindow.h"
#include "ProgramInfo.h"
#include "desktop/ToolImages.h"

#include <QApplication>
#include <QIcon>

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    // Usage and version need no display: answered before the toolkit starts.
    if (const auto exitCode = qp::AnswerInfoRequest(std::vector<std::string>(argv + 1, argv + argc), std::cout))
        return *exitCode;
    // The automation switches decide the start before any window exists: register and
    // unregister end here.
    const qp::StartMode mode = qp::StartModeOf(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto exitCode = qp::UpdateRegistration(mode, qp::ProgramFile(), qp::UserDataHome()))
        return *exitCode;
    qp::UseOffscreenWithoutDisplay(mode);
    // The arguments belong to the program under test: the toolkit sees none of them, or it
    // would take options such as "--title" or "-style" for itself.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    QApplication::setApplicationName(QStringLiteral("pallant"));
    QApplication::setOrganizationName(QStringLiteral("Quorvia"));
    qp::SetApplicationTitle(QStringLiteral("Quorvia Pallant"));
    QApplication::setWindowIcon(qp::ToolImage(16));

    qp::MainWindowOptions options;
    // The benchmark's baseline: the display repainted at every tick.
    options.repaintEveryTick = qEnvironmentVariableIntValue("PALLANT_REPAINT_EVERY_TICK") != 0;

    options.automationStart = mode == qp::StartMode::Automation;

    qp::MainWindow form(options);
    const auto server = qp::StartAutomationServer(form.session(), mode);
    if (server)
        form.setTerminateConfirmation([&server](QWidget* parent) {
            return qp::ConfirmTerminateWithObjects(parent, server->objectCount());
        });
    form.show();
    form.ProcessCommandLine(arguments);
    return app.exec();
}
