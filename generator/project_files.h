// The seven files of a generated project: built in memory, then written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "generator/machine_values.h"
#include "generator/project_writer.h"
#include "generator/wizard_settings.h"
#include "platform/date_time.h"

namespace quillfern::generator {

// Shows a warning and returns once the user has seen it.
using WarningHook = std::function<void(const std::string& title, const std::string& text)>;

// The values of one generation that come from the machine rather than the
// settings.
struct ProjectValues {
  std::string AddInGuid;   // registry form, with braces
  std::string HostPath;    // the host application, or empty
  std::string SearchPath;  // the library folder beside the program
  std::string DateText;    // when the read-me was built
};

// The Windows code page the files of Settings are written in: the one
// chosen, or the system's (platform::DefaultCodePage) when none was.
unsigned FilesCodePage(const WizardSettings& settings);

// The registry root key the add-in unit registers under, as it names it:
// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
std::string RootKeyIdentifier(const WizardSettings& settings);

// The interface unit's name as the uses clause writes it: its file name
// less the extension (".pas").
std::string InterfaceUnitName(const WizardSettings& settings);

// The file set for these settings and machine values. Pure apart from
// LoadTemplate, which throws for a missing template.
ProjectFileSet ComposeProjectFiles(const WizardSettings& settings, const ProjectValues& values);

// The seven file names of the project of ClassName, in writing order.
std::vector<std::string> ProjectFileNames(const std::string& className);

// Asks the machine for a GUID, the host application and the library path,
// then composes the set. A class identifier or moment given in Fixed is used
// instead of a new GUID or the local time now; a fixed moment is shown in
// UTC. Each path goes into the files in their code page exactly, or as its
// short form when that is exact; otherwise it is left out, since a
// look-alike would name another file. Warns through Warn when the host is
// not installed and for each path left out. Throws only for a missing
// template.
ProjectFileSet BuildProjectFiles(const WizardSettings& settings, const WarningHook& warn,
                                 const FixedMachineValues& fixed = {});

// The read-me's date: Regional (the user's formats, UTF-8) in CodePage when
// it can be written there exactly; otherwise, rather than a look-alike or a
// mix of encodings, When as "YYYY-MM-DD hh:mm:ss" (the date alone at
// midnight), which every code page holds.
std::string DateInCodePage(const std::string& regional, const platform::LocalDateTime& when, unsigned codePage);

// BuildProjectFiles, then WriteFileSet. A missing template propagates and
// nothing is written.
bool WriteProjectFiles(const WizardSettings& settings, const std::string& folder,
                       const WarningHook& warn);

}  // namespace quillfern::generator
