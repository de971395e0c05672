#pragma once
// The automation server's part of the program's start-up, around the toolkit's start.

#include "AutomationServer.h"
#include "StartMode.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace qp {

// The program file, absolute.
std::filesystem::path ProgramFile();

// Updates the registration as the start mode asks: written in every mode but unregister,
// removed in unregister mode. Register and unregister end the program: then the exit
// status is returned (1 when registering failed, after the message on standard error).
// A failure in any other mode is ignored (the program runs unregistered).
std::optional<int> UpdateRegistration(StartMode mode, const std::filesystem::path& program,
                                      const std::filesystem::path& dataHome);

// A process started for automation where there is no display runs on the toolkit's
// off-screen platform instead of failing. Call before the application object exists.
// True when it chose the off-screen platform.
bool UseOffscreenWithoutDisplay(StartMode mode);

// Serves the class objects on the session bus; the process quits when its last object is
// released in automation mode. Null, after a message on standard error, when there is no
// bus to serve on.
std::unique_ptr<AutomationServer> StartAutomationServer(std::shared_ptr<ConsoleSession> session, StartMode mode);

// The "COM Server Warning" box when clients still hold objects: true when the program may
// end (no objects, or Yes).
bool ConfirmTerminateWithObjects(QWidget* parent, int objectCount);

}  // namespace qp
