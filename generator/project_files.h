// The seven files of a generated project: built in memory, then written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "generator/machine_values.h"
#include "generator/wizard_settings.h"
#include "platform/date_time.h"

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

// The name an earlier file is kept under before it is replaced, as Delphi
// keeps its backups: a "~" before the extension ("Unit1.pas" gives
// "Unit1.~pas"), or ".~" after a name without one.
std::string BackupName(const std::string& fileName);

// The writer first writes each file whole under a staging name of its own
// in the output folder: "~qf", six ASCII letters or digits, ".tmp". No file
// of a project, and no backup, can be called so, and a later run knows a
// staging file that a killed run left behind for its own.
inline constexpr std::size_t kStagingNameLength = 13;
bool IsStagingName(std::string_view name);

// What a write did, for a front end that can say more than the fixed
// message: the backups it made and, when it stopped, which file and why.
struct WriteReport {
  std::size_t FilesWritten = 0;      // entries written completely: all, or those before the failure
  std::string FileName;              // the entry that could not be written
  bool BackupFailed = false;         // its earlier file could not be kept, so it was not touched
  std::error_code Error;             // the system's error, taken where the write failed
  std::vector<std::string> Backups;  // the backups made, by name, in writing order
};

// Writes the set into Folder in list order and stops at the first file
// that cannot be written. A file or link of an entry's name that the entry
// would change is first kept under its BackupName (an older backup there is
// replaced; a file of the same bytes is not kept); a backup that cannot be
// made stops the write before that file is touched. True when all seven
// were written; files written before a failure stay, the failing one is not
// left behind half written. Report, when given, says what was kept and,
// on false, where and why it stopped.
bool WriteFileSet(const ProjectFileSet& files, const std::string& folder, WriteReport* report = nullptr);

// The backups WriteFileSet would make in Folder now, by name: for each
// entry whose name holds something it would change, or something that
// cannot be read to tell.
std::vector<std::string> BackupsNeeded(const ProjectFileSet& files, const std::string& folder);

// BuildProjectFiles, then WriteFileSet. A missing template propagates and
// nothing is written.
bool WriteProjectFiles(const WizardSettings& settings, const std::string& folder,
                       const WarningHook& warn);

}  // namespace quillfern::generator
