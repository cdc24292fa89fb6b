#include "generator/project_writer.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/guid.h"

namespace quillfern::generator {

namespace {

using platform::EntryKind;

// What the writer does with one entry of the set.
struct Step {
  enum class Action { Unchanged, Create, Replace, Blocked };
  Action action = Action::Create;
  std::string path, backupPath;
  EntryKind earlier = EntryKind::Missing;
  std::error_code blockedBy;  // Blocked: why the entry cannot take its name
  bool blockedByBackup = false;  // Blocked: it is the earlier file that cannot be kept
  std::string staged;         // the staged file, once written
};

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder + platform::kPathDelimiter + name;
}

// The error a folder, pipe or device at a name stands for: a file cannot
// be put over it, nor can it be kept as a backup.
std::error_code NotAFile(EntryKind kind) {
  return std::make_error_code(kind == EntryKind::Folder ? std::errc::is_a_directory : std::errc::file_exists);
}

bool MustBeKept(const platform::Entry& earlier, std::string_view content) {
  return earlier.error || earlier.kind == EntryKind::Link ||
         (earlier.kind == EntryKind::File && earlier.bytes != content);
}

// Looks at what stands at the entry's name and at its backup's.
Step Plan(const TAddInUnit& file, const std::string& folder) {
  Step step;
  step.path = InFolder(folder, file.FileName);
  step.backupPath = InFolder(folder, BackupName(file.FileName));
  const platform::Entry earlier = platform::ReadEntry(step.path);
  step.earlier = earlier.kind;
  const auto block = [&](std::error_code error, bool backup) {
    step.action = Step::Action::Blocked;
    step.blockedBy = error;
    step.blockedByBackup = backup;
    return step;
  };
  if (earlier.error) return block(earlier.error, true);  // it could not be read to be kept
  if (earlier.kind == EntryKind::Folder || earlier.kind == EntryKind::Other) return block(NotAFile(earlier.kind), false);
  if (!MustBeKept(earlier, file.Content)) {
    step.action = earlier.kind == EntryKind::Missing ? Step::Action::Create : Step::Action::Unchanged;
    return step;
  }
  const platform::Entry backup = platform::ReadEntry(step.backupPath);
  if (backup.kind == EntryKind::Folder || backup.kind == EntryKind::Other) return block(NotAFile(backup.kind), true);
  step.action = Step::Action::Replace;
  return step;
}

// A name for a staging file in Folder that nothing has yet: "~qf" and six
// letters or digits from a fresh GUID.
std::string StagingPath(const std::string& folder) {
  const std::string guid = platform::NewGuidText();  // {XXXXXXXX-...}: hexadecimal digits from 1 on
  return InFolder(folder, "~qf" + guid.substr(1, 6) + ".tmp");
}

// Writes Content whole under a new staging name; the error when it cannot.
std::error_code Stage(Step& step, const std::string& folder, const std::string& content) {
  for (int attempt = 0;; ++attempt) {
    const std::string staged = StagingPath(folder);
    const std::error_code error =
        platform::WriteNewFile(staged, content, step.earlier == EntryKind::File ? step.path : std::string());
    if (!error) {
      step.staged = staged;
      return {};
    }
    // The name was taken (a one-in-sixteen-million chance): draw again.
    if (error != std::errc::file_exists || attempt == 8) return error;
  }
}

// Keeps the earlier file under its backup name, replacing an older backup
// only now. A file gets its backup as a second name first, so that its name
// holds it until the new file takes that name; a file system without second
// names, or a link (taken as itself), moves it there instead.
std::error_code KeepEarlier(const Step& step, const std::string& folder) {
  if (step.earlier == EntryKind::File) {
    const std::string second = StagingPath(folder);
    if (!platform::LinkEntry(step.path, second)) {
      const std::error_code error = platform::MoveEntry(second, step.backupPath);
      // A backup that is already this very file (a run cut short between
      // its two renames made it so) makes the rename do nothing: POSIX
      // renames one name of a file onto another as a no-op, and the second
      // name stays. It goes either way.
      platform::RemoveEntry(second);
      return error;
    }
  }
  return platform::MoveEntry(step.path, step.backupPath);
}

// Puts the staged file in the entry's place; on failure the entry keeps
// what it had. Backup is set when an earlier file was kept.
std::error_code Commit(const Step& step, const std::string& folder, bool& keptBackup, bool& backupFailed) {
  keptBackup = backupFailed = false;
  if (step.action == Step::Action::Create) return platform::MoveEntryUnlessTaken(step.staged, step.path);
  // Replacing: first make sure the new file can take the name, so that an
  // older backup is not given up for a file that then stays as it was.
  if (const std::error_code error = platform::CanReplace(step.path)) return error;
  if (const std::error_code error = KeepEarlier(step, folder)) {
    backupFailed = true;
    return error;
  }
  keptBackup = true;
  return platform::MoveEntry(step.staged, step.path);
}

void RemoveStaged(std::vector<Step>& steps) {
  for (Step& step : steps)
    if (!step.staged.empty()) platform::RemoveEntry(step.staged), step.staged.clear();
}

}  // namespace

std::string BackupName(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos) return fileName + ".~";
  return fileName.substr(0, dot + 1) + "~" + fileName.substr(dot + 1);
}

bool IsStagingName(std::string_view name) {
  if (name.size() != kStagingNameLength || name.substr(0, 3) != "~qf" || name.substr(9) != ".tmp") return false;
  return std::all_of(name.begin() + 3, name.begin() + 9,
                     [](char c) { return platform::IsAsciiLetter(c) || platform::IsAsciiDigit(c); });
}

std::vector<std::string> StagingLeftovers(const std::string& folder) {
  std::vector<std::string> leftovers;
  for (const std::string& name : platform::ListFolder(folder).names)
    if (IsStagingName(name)) leftovers.push_back(name);
  std::sort(leftovers.begin(), leftovers.end());
  return leftovers;
}

bool WriteFileSet(const ProjectFileSet& files, const std::string& folder, WriteReport* report) {
  WriteReport ignored;
  WriteReport& r = report ? *report : ignored;
  r = {};
  for (const std::string& name : StagingLeftovers(folder)) platform::RemoveEntry(InFolder(folder, name));

  std::vector<Step> steps;
  for (const TAddInUnit& file : files) steps.push_back(Plan(file, folder));
  const auto stop = [&](std::size_t at, bool backup, std::error_code error) {
    RemoveStaged(steps);
    r.FileName = files[at].FileName;
    r.BackupFailed = backup;
    r.Error = error;
    return false;
  };
  // Only the files before the first that cannot take its name are staged.
  for (std::size_t i = 0; i < steps.size() && steps[i].action != Step::Action::Blocked; ++i) {
    if (steps[i].action == Step::Action::Unchanged) continue;
    if (const std::error_code error = Stage(steps[i], folder, files[i].Content)) return stop(i, false, error);
  }
  for (std::size_t i = 0; i < steps.size(); ++i) {
    r.FilesWritten = i;
    Step& step = steps[i];
    if (step.action == Step::Action::Unchanged) {
      r.Unchanged.push_back(files[i].FileName);
      continue;
    }
    if (step.action == Step::Action::Blocked) return stop(i, step.blockedByBackup, step.blockedBy);
    bool keptBackup = false, backupFailed = false;
    const std::error_code error = Commit(step, folder, keptBackup, backupFailed);
    if (keptBackup) r.Backups.push_back(BackupName(files[i].FileName)), r.NothingChanged = false;
    if (error) return stop(i, backupFailed, error);
    step.staged.clear();
    r.NothingChanged = false;
    platform::SyncFolder(folder);
  }
  r.FilesWritten = files.size();
  return true;
}

std::vector<std::string> BackupsNeeded(const ProjectFileSet& files, const std::string& folder) {
  std::vector<std::string> backups;
  for (const auto& file : files)
    if (MustBeKept(platform::ReadEntry(InFolder(folder, file.FileName)), file.Content))
      backups.push_back(BackupName(file.FileName));
  return backups;
}

}  // namespace quillfern::generator
