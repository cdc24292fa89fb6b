// The seven files of a generated project: built in memory, then written.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "generator/wizard_settings.h"

namespace quillfern::generator {

// One generated file.
struct TAddInUnit {
  std::string Content;   // every byte of the file; may hold zero bytes
  std::string FileName;  // relative to the output folder
};

// Always seven entries, in writing order: .dpr, .dof, .tlb, Unit1.pas,
// Install.bat, Uninstall.bat, Readme.txt.
using ProjectFileSet = std::vector<TAddInUnit>;

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

// The registry root key the add-in unit registers under, as it names it:
// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
std::string RootKeyIdentifier(const WizardSettings& settings);

// The file set for these settings and machine values. Pure apart from
// LoadTemplate, which throws for a missing template.
ProjectFileSet ComposeProjectFiles(const WizardSettings& settings, const ProjectValues& values);

// Asks the machine for a GUID, the host application and the library path,
// warns through Warn when the host is not installed, then composes the set.
// Throws only for a missing template.
ProjectFileSet BuildProjectFiles(const WizardSettings& settings, const WarningHook& warn);

// Which file stopped a write and why, for a front end that can say more
// than the fixed message.
struct WriteFailure {
  std::size_t FilesWritten = 0;  // entries written completely before the failure
  std::string FileName;          // the entry that could not be written
  std::string Reason;            // the system's text for the error
};

// Writes the set into Folder in list order, replacing files of the same
// names, and stops at the first file that cannot be written. True when all
// seven were written; files written before a failure stay, the failing one
// is not left behind half written. On false, Failure (when given) says
// where and why.
bool WriteFileSet(const ProjectFileSet& files, const std::string& folder,
                  WriteFailure* failure = nullptr);

// BuildProjectFiles, then WriteFileSet. A missing template propagates and
// nothing is written.
bool WriteProjectFiles(const WizardSettings& settings, const std::string& folder,
                       const WarningHook& warn);

}  // namespace quillfern::generator
