// The Generate command: checks the inputs in a fixed order, asks for
// confirmations, makes sure the output folder is usable, writes the project
// and reports the outcome, all through a view that the front end supplies.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "generator/project_files.h"
#include "generator/wizard_settings.h"

namespace quillfern::wizard {

using generator::WizardSettings;

// Where a message dialog's top-left corner goes, relative to the wizard's
// outer top-left corner, in screen pixels.
struct MessageOffset {
  int x;
  int y;
  bool operator==(const MessageOffset& o) const { return x == o.x && y == o.y; }
};

// The questions the command can ask; the text is given with each.
enum class Question { RevertClassName, RevertInterfaceUnit, CreateOutputFolder, OverwriteProject };

enum class InputField { ClassName, InterfaceUnit };

// What the command needs from its front end. Message texts may hold a CR
// ("\r") between two lines.
class GenerateView {
 public:
  virtual ~GenerateView() = default;
  virtual WizardSettings ReadSettings() = 0;
  virtual void SetFieldText(InputField field, const std::string& text) = 0;
  virtual void FocusField(InputField field) = 0;
  // True for Yes. A confirmation closed any other way counts as No.
  virtual bool AskYesNo(Question question, const std::string& text, MessageOffset at) = 0;
  virtual void ShowError(const std::string& text, MessageOffset at) = 0;
  virtual void ShowInformation(const std::string& text, MessageOffset at) = 0;
  // The host-application warning raised while the files are built.
  virtual void ShowWarning(const std::string& title, const std::string& text) = 0;
};

// Writes the project; WriteProjectFiles unless a front end needs otherwise.
using ProjectWriter = std::function<bool(const WizardSettings&, const std::string& folder,
                                         const generator::WarningHook&)>;

// The folder text less one trailing separator.
std::string OutputFolder(const std::string& folderText);

// A letter or "_", then letters, digits or "_"; never empty, and never one of
// Object Pascal's reserved words (in any letter case).
bool IsValidIdentifier(std::string_view name);

// At least five characters, ending in ".pas" (any case) at the only place
// ".pas" occurs, before it a valid identifier.
bool IsValidUnitFileName(std::string_view name);

// Runs one generation. Errors the command does not expect (such as an
// empty output folder, which cannot be created) leave it as exceptions for
// the front end's error handler.
void RunGenerateCommand(GenerateView& view, const ProjectWriter& write = generator::WriteProjectFiles);

// The text of an unexpected error as the user sees it: a full stop is added
// when the message ends in a character above ".".
std::string UnexpectedErrorText(const std::string& message);

}  // namespace quillfern::wizard
