// The program itself and the Office application it writes projects for.
// One header, two implementations (win32/program.cpp, posix/program.cpp);
// LibrarySearchPath, the same everywhere, is in common.cpp. Paths are text
// as in files.h.
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"

namespace quillfern::platform {

// The program's own full path name; empty if the system cannot tell (or, on
// Windows, when it is longer than MAX_PATH characters).
std::string ProgramPath();

// The program's own folder followed by "LibraryFiles", with no trailing
// separator; the folder is not looked for. Empty when the program's path is
// unknown: a bare "LibraryFiles" would name a folder beside the project.
std::string LibrarySearchPath();

// Full path of the host application registered under App Paths for ExeName,
// in long form when the system can give it; empty when it is not installed,
// and always on POSIX. Never fails. Looks in this program's own registry
// view, or in View when one is given (a 32-bit Office can be registered in
// the 32-bit view alone).
std::string FindHostApplication(const std::string& exeName, std::optional<RegistryView> view = std::nullopt);

}  // namespace quillfern::platform
