// The Generate command: checks the inputs in a fixed order, asks for
// confirmations, makes sure the output folder is usable and writes the
// project, asking and warning through a view that the front end supplies;
// it returns what the run came to, and the front end says so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "command/input_checks.h"
#include "generator/project_files.h"
#include "generator/wizard_settings.h"

namespace quillfern::command {

using generator::WizardSettings;

// The questions the command can ask; the text is given with each.
enum class Question { RevertClassName, RevertInterfaceUnit, CreateOutputFolder, OverwriteProject };

// What the command needs from its front end while it runs. A text of the
// command's (a question, a warning, a refusal) holds "\n" between two lines;
// each front end turns that into its own line break, and where a message
// goes on the screen is its affair too.
class GenerateView {
 public:
  virtual ~GenerateView() = default;
  // The inputs as they stand: texts exactly as typed, in UTF-8, and the code
  // page the files are to be written in.
  virtual WizardSettings ReadSettings() = 0;
  virtual void SetFieldText(InputField field, const std::string& text) = 0;
  virtual void FocusField(InputField field) = 0;
  // True for Yes. A confirmation closed any other way counts as No.
  virtual bool AskYesNo(Question question, const std::string& text) = 0;
  // The host-application warning raised while the files are built.
  virtual void ShowWarning(const std::string& title, const std::string& text) = 0;
};

// What one run came to, as facts a front end can say more from than a
// fixed message. Taken where they arose: nothing here is read back from a
// message or from the disk. Each state holds what is true of it alone.

// The project was written whole.
struct Generated {
  WizardSettings settings;                  // as written: the texts in the files' code page
  std::string folder;                       // the output folder
  std::vector<std::string> fileNames;       // the files written, in writing order
  std::vector<std::string> backups;         // the earlier files kept, by name, in writing order
  std::vector<std::string> createdFolders;  // made by this run, outermost first
};

// The run stopped before it changed anything: a text or a name the command
// refused, or a question answered No. A refused name was asked about (and
// given the focus) while the command ran; a refused text was not.
struct Refused {
  enum class Reason { InvalidText, InvalidClassName, InvalidInterfaceUnit, FolderNotCreated, ProjectExists };
  Reason reason;
  std::optional<TextProblem> textProblem = std::nullopt;  // InvalidText: the text and what it cannot hold
};

// A dry run passed: what generating would do now. Nothing was created or
// written to find it out, so what only writing shows (the right to write in
// the folder, the room on its drive) was not tried. A dry run that would not
// pass ends as the real run would: refused, or failed where looking shows
// the step would fail (a drive that is not there, a file where a folder
// must go), with nothing created.
struct Planned {
  WizardSettings settings;                   // as it would be written
  std::string folder;                        // the output folder
  std::vector<std::string> foldersToCreate;  // missing now, outermost first
  std::vector<std::string> fileNames;        // the files it would write, in writing order
  std::vector<std::string> backups;          // the earlier files it would keep, by name
  std::vector<std::string> leftovers;        // staging files a cut-short run left, which it would remove
};

// A step failed. What the run made before it stays.
struct Failed {
  // The output folder, or a folder on its way, could not be created.
  struct CreateFolder {
    std::string folder;     // the folder that could not be made
    std::error_code error;  // the system's, taken at the failing call
  };
  // No file can be made in the output folder.
  struct ProbeFolder {
    std::string folder;
    std::error_code error;  // the system's, taken at the failing call
  };
  // The output folder could not be held for this generation: another one
  // held it for the whole wait (Busy), or it could not be locked at all.
  // Nothing was written.
  struct LockFolder {
    std::string folder;
    bool busy;
    std::error_code error;  // not Busy: the system's, taken at the failing call
  };
  // A file of the project could not be written, or its earlier file kept.
  struct WriteFiles {
    std::string folder;
    std::vector<std::string> fileNames;  // the whole project, in writing order
    generator::WriteReport report;       // which file and why, how many were written, the backups made
  };
  std::variant<CreateFolder, ProbeFolder, LockFolder, WriteFiles> step;
  std::vector<std::string> createdFolders;  // made by this run, outermost first
};

using GenerateOutcome = std::variant<Generated, Planned, Refused, Failed>;

// A visitor made of one lambda for each state, for std::visit: one that
// forgets a state does not compile.
template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

// Writes the built files into Folder: generator::WriteFileSet, unless a
// test puts a fault in its way. True when all were written; Report says what
// was kept and, on false, where and why it stopped.
using ProjectWriter = std::function<bool(const generator::ProjectFileSet& files, const std::string& folder,
                                         generator::WriteReport* report)>;

// How long a generation waits for another one writing into the same folder.
inline constexpr int kLockWaitMilliseconds = 5000;

// How one run goes.
struct GenerateOptions {
  // What a front end wants the same on every run instead of asked of the
  // machine (the wizard fixes nothing).
  generator::FixedMachineValues fixed;
  // Every check, and the plan instead of the files: nothing is created or
  // written.
  bool dryRun = false;
  ProjectWriter write = generator::WriteFileSet;
  int lockWaitMilliseconds = kLockWaitMilliseconds;
};

// Runs one generation, or a dry run of it, and says what it came to. The
// checks come in this order: the class name, then the interface unit (each
// with its question), the texts in the files' code page and their lengths,
// then the output folder (OutputFolder: its form, its names and the
// project's paths against the system's limits), all before anything is
// asked about the folder or made. Errors the command does not expect (an
// output folder that is empty and so cannot be created, a missing template)
// leave it as exceptions for the front end's error handler.
GenerateOutcome RunGenerateCommand(GenerateView& view, const GenerateOptions& options = {});

}  // namespace quillfern::command
