#include "command/generate_command.h"

#include "catalogue/catalogue.h"
#include "platform/files.h"

namespace quillfern::command {

namespace {

using Outcome = GenerateOutcome;

// Offers to put the default back into an invalid box; the focus goes there
// whatever the answer.
void OfferRevert(GenerateView& view, Question question, const std::string& text, InputField field,
                 const std::string& defaultText) {
  if (view.AskYesNo(question, text)) view.SetFieldText(field, defaultText);
  view.FocusField(field);
}

Outcome& Refused(Outcome& outcome, Outcome::Refusal refusal) {
  outcome.result = Outcome::Result::Refused;
  outcome.refusal = refusal;
  return outcome;
}

Outcome& Failed(Outcome& outcome, Outcome::Step step) {
  outcome.result = Outcome::Result::Failed;
  outcome.failedStep = step;
  return outcome;
}

}  // namespace

std::string OutputFolder(const std::string& folderText) {
  if (!folderText.empty() && folderText.back() == platform::kPathDelimiter)
    return folderText.substr(0, folderText.size() - 1);
  return folderText;
}

GenerateOutcome RunGenerateCommand(GenerateView& view, const ProjectWriter& write,
                                   const generator::FixedMachineValues& fixed) {
  Outcome outcome;
  outcome.settings = view.ReadSettings();
  // The texts are put into the files' code page first: every later check
  // sees the bytes that will be written, never a look-alike.
  auto encoded = EncodeSettings(outcome.settings);
  if (auto* settings = std::get_if<WizardSettings>(&encoded)) outcome.settings = std::move(*settings);
  else outcome.textProblem = std::get<TextProblem>(encoded);
  const WizardSettings& settings = outcome.settings;

  if (!outcome.textProblem) outcome.textProblem = CheckTexts(settings);
  if (outcome.textProblem) {
    view.ShowError(TextProblemText(*outcome.textProblem));
    view.FocusField(outcome.textProblem->field);
    return Refused(outcome, Outcome::Refusal::InvalidText);
  }
  if (!IsValidIdentifier(settings.ClassName) || ClassNameBreaksProject(settings)) {
    OfferRevert(view, Question::RevertClassName,
                "Class Name is not valid identifier.\rWould you like to revert it to default value?",
                InputField::ClassName, catalogue::NewProjectDefaults(settings.TargetApp).ClassName);
    return Refused(outcome, Outcome::Refusal::InvalidClassName);
  }
  if (!IsValidUnitFileName(settings.InterfaceUnitFile) || InterfaceUnitBreaksProject(settings)) {
    OfferRevert(view, Question::RevertInterfaceUnit,
                "Interface unit name is not valid.\rWould you like to revert it to default value?",
                InputField::InterfaceUnit,
                catalogue::NewProjectDefaults(settings.TargetApp, settings.TargetVersion).InterfaceUnitFile);
    return Refused(outcome, Outcome::Refusal::InvalidInterfaceUnit);
  }

  outcome.folder = OutputFolder(settings.OutputFolderText);
  const std::string& folder = outcome.folder;
  if (!platform::FolderExists(folder + platform::kPathDelimiter) &&
      !view.AskYesNo(Question::CreateOutputFolder, "Output folder not found.\rWould you like to create it?")) {
    return Refused(outcome, Outcome::Refusal::FolderNotCreated);
  }
  platform::FolderCreation creation;
  const bool created = platform::CreateFolderPath(folder, &creation);
  outcome.createdFolders = std::move(creation.created);
  if (!created) {
    outcome.failedPath = creation.failedFolder;
    outcome.systemError = creation.error;
    view.ShowError("Unable to create output folder.");
    return Failed(outcome, Outcome::Step::CreateFolder);
  }
  if (platform::IsFolderWriteProtected(folder, &outcome.systemError)) {
    outcome.failedPath = folder;
    view.ShowError("Output folder is write protected.");
    return Failed(outcome, Outcome::Step::ProbeFolder);
  }
  const std::string projectSource = folder + platform::kPathDelimiter + settings.ClassName + ".dpr";
  // "alreary" is deliberate: the message keeps the wording its users know.
  // Do not correct it.
  if (platform::FileExists(projectSource) &&
      !view.AskYesNo(Question::OverwriteProject, "Project alreary exists.\rAre you sure you want to overwrite it?")) {
    return Refused(outcome, Outcome::Refusal::ProjectExists);
  }

  const generator::WarningHook warn = [&view](const std::string& title, const std::string& text) {
    view.ShowWarning(title, text);
  };
  // Every file is built before the first is written: a missing template
  // leaves the folder as it was.
  const generator::ProjectFileSet files = generator::BuildProjectFiles(settings, warn, fixed);
  for (const auto& file : files) outcome.fileNames.push_back(file.FileName);
  if (!write(files, folder, &outcome.writeReport)) {
    view.ShowError("Unable to write project files.");
    return Failed(outcome, Outcome::Step::WriteFiles);
  }
  view.ShowInformation(catalogue::SuccessMessage(settings.TargetApp, settings.TargetVersion));
  outcome.result = Outcome::Result::Generated;
  return outcome;
}

std::string UnexpectedErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace quillfern::command
