// The Generate command: checks the inputs in a fixed order, asks for
// confirmations, makes sure the output folder is usable, writes the project
// and reports the outcome, all through a view that the front end supplies.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "generator/project_files.h"
#include "generator/wizard_settings.h"
#include "command/input_checks.h"

namespace quillfern::command {

using generator::WizardSettings;

// The questions the command can ask; the text is given with each.
enum class Question { RevertClassName, RevertInterfaceUnit, CreateOutputFolder, OverwriteProject };

// What the command needs from its front end. Message texts may hold a CR
// ("\r") between two lines; where a message goes on the screen is the
// front end's affair.
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
  virtual void ShowError(const std::string& text) = 0;
  virtual void ShowInformation(const std::string& text) = 0;
  // The host-application warning raised while the files are built.
  virtual void ShowWarning(const std::string& title, const std::string& text) = 0;
};

// What one run came to, as facts a front end can say more from than the
// message the view was shown. Taken where they arose: nothing here is read
// back from a message or from the disk.
struct GenerateOutcome {
  enum class Result { Generated, Refused, Failed };
  // Why a run stopped before writing: an input the command refused, or a
  // question answered No.
  enum class Refusal { None, InvalidText, InvalidClassName, InvalidInterfaceUnit, FolderNotCreated, ProjectExists };
  // Which step failed.
  enum class Step { None, CreateFolder, ProbeFolder, WriteFiles };

  Result result = Result::Refused;
  Refusal refusal = Refusal::None;
  std::optional<TextProblem> textProblem;  // InvalidText: the text and what it cannot hold
  WizardSettings settings;                 // the settings the run worked from, in the files' code page
  std::string folder;                      // the output folder, once the checks reached it
  Step failedStep = Step::None;
  std::string failedPath;    // CreateFolder: the folder that could not be made; ProbeFolder: the output folder
  std::error_code systemError;  // CreateFolder, ProbeFolder: the system's error, taken at the failing call
  std::vector<std::string> createdFolders;  // made by this run, outermost first; they stay
  generator::WriteReport writeReport;      // the backups made; WriteFiles: the file, why, and how many were written
  std::vector<std::string> fileNames;       // the project's files in writing order, once built
};

// Writes the built files into Folder; generator::WriteFileSet unless a front
// end needs otherwise (a dry run lists them instead). True when all were
// written; Report says what was kept and, on false, where and why it stopped.
using ProjectWriter = std::function<bool(const generator::ProjectFileSet& files, const std::string& folder,
                                         generator::WriteReport* report)>;

// The folder text less one trailing separator. The text is UTF-8 (or, on
// POSIX, the system's bytes), where a separator byte is never part of
// another character.
std::string OutputFolder(const std::string& folderText);

// Runs one generation and says what it came to. Fixed holds what a front
// end wants the same on every run instead of asked of the machine (the
// wizard fixes nothing). Errors the command does not expect (an output
// folder that is empty and so cannot be created, a missing template) leave
// it as exceptions for the front end's error handler.
GenerateOutcome RunGenerateCommand(GenerateView& view, const ProjectWriter& write = generator::WriteFileSet,
                                   const generator::FixedMachineValues& fixed = {});

// The text of an unexpected error as the user sees it: a full stop is added
// when the message ends in a character above ".".
std::string UnexpectedErrorText(const std::string& message);

}  // namespace quillfern::command
