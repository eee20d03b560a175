#pragma once
// Loading the Qt dialogs from their module (QtFront.h says why they are one).
#include <string>

#include "front/QtFront.h"

namespace tal::front {

// The module's file name, beside the program.
inline constexpr const char* QtFrontModuleFile = "tal_qt_dialogs.so";

// The folder of the running program; empty when the system does not say.
std::string ProgramFolder();

// The entry of the module at path; null with one line for the user in why
// when it cannot be loaded or holds no entry.
TQtFrontEntry LoadQtFrontModule(const std::string& path, std::string& why);

}  // namespace tal::front
