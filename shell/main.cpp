// pallant: the desktop program. Its arguments are the command line of the program under
// test.
#include "ErrorBox.h"
#include "TForm1.h"
#include "ToolImages.h"

#include <QApplication>
#include <QIcon>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pallant"));
    QApplication::setOrganizationName(QStringLiteral("Quorvia"));
    qp::SetApplicationTitle(QStringLiteral("Quorvia Pallant"));
    QApplication::setWindowIcon(qp::ToolImage(16));

    qp::MainWindowOptions options;
    // The benchmark's baseline: the display repainted at every tick.
    options.repaintEveryTick = qEnvironmentVariableIntValue("PALLANT_REPAINT_EVERY_TICK") != 0;

    qp::TForm1 form(options);
    form.show();
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    form.ProcessCommandLine(arguments);
    return app.exec();
}
