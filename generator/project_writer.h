// Writing the seven files into the output folder so that nothing the user
// had is lost, whenever and however the writing stops.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quillfern::generator {

// One generated file.
struct TAddInUnit {
  std::string Content;   // every byte of the file; may hold zero bytes
  std::string FileName;  // relative to the output folder
};

// Always seven entries, in writing order: .dpr, .dof, .tlb, Unit1.pas,
// Install.bat, Uninstall.bat, Readme.txt.
using ProjectFileSet = std::vector<TAddInUnit>;

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
  std::size_t FilesWritten = 0;        // entries that hold their new bytes: all, or those before the one that stopped it
  std::string FileName;                // the entry that stopped it
  bool BackupFailed = false;           // its earlier file could not be kept, so it was not touched
  std::error_code Error;               // the system's error, taken where the write failed
  std::vector<std::string> Backups;    // the backups made, by name, in writing order
  std::vector<std::string> Unchanged;  // entries whose file held their bytes already: left untouched
  bool NothingChanged = true;          // no file of the folder was replaced, added or kept as a backup
};

// Writes the set into Folder so that every name holds either its earlier
// bytes or its new ones, whole, at every moment, and the earlier ones stay
// somewhere, under the name or its BackupName:
//  1. staging files a cut-short run left in Folder are removed;
//  2. every file that changes is written whole under a staging name and
//     flushed; a failure there changes nothing (the staged files go again);
//  3. in list order, each file takes its name by a rename, after an earlier
//     file of other bytes (or a link) there has become its backup (an older
//     backup is replaced at that moment). A file whose name already holds
//     its bytes is not touched. The first file that cannot take its name
//     (its earlier file cannot be read or kept, a folder stands there, it is
//     read-only or held open) stops the writing: the files before it stay,
//     it and the rest keep what they had.
// True when all seven hold their new bytes. Report, when given, says what
// was kept and, on false, where and why it stopped.
bool WriteFileSet(const ProjectFileSet& files, const std::string& folder, WriteReport* report = nullptr);

// The backups WriteFileSet would make in Folder now, by name: for each
// entry whose name holds something it would change, or something that
// cannot be read to tell.
std::vector<std::string> BackupsNeeded(const ProjectFileSet& files, const std::string& folder);

// The staging files a cut-short run left in Folder, by name: what the next
// WriteFileSet there removes first.
std::vector<std::string> StagingLeftovers(const std::string& folder);

}  // namespace quillfern::generator
