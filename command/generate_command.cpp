#include "command/generate_command.h"

#include "catalogue/catalogue.h"
#include "platform/files.h"

namespace quillfern::command {

namespace {

// Offers to put the default back into an invalid box; the focus goes there
// whatever the answer.
void OfferRevert(GenerateView& view, Question question, const std::string& text, InputField field,
                 const std::string& defaultText) {
  if (view.AskYesNo(question, text)) view.SetFieldText(field, defaultText);
  view.FocusField(field);
}

}  // namespace

std::string FailureText(const Failed& failed) {
  return std::visit(Overloaded{
                        [](const Failed::CreateFolder&) { return "Unable to create output folder."; },
                        [](const Failed::ProbeFolder&) { return "Output folder is write protected."; },
                        [](const Failed::WriteFiles&) { return "Unable to write project files."; },
                    },
                    failed.step);
}

std::string OutputFolder(const std::string& folderText) {
  if (!folderText.empty() && folderText.back() == platform::kPathDelimiter)
    return folderText.substr(0, folderText.size() - 1);
  return folderText;
}

GenerateOutcome RunGenerateCommand(GenerateView& view, const ProjectWriter& write,
                                   const generator::FixedMachineValues& fixed) {
  using Reason = Refused::Reason;
  // The texts are put into the files' code page first: every later check
  // sees the bytes that will be written, never a look-alike.
  auto encoded = EncodeSettings(view.ReadSettings());
  if (const auto* problem = std::get_if<TextProblem>(&encoded)) return Refused{Reason::InvalidText, *problem};
  const WizardSettings settings = std::get<WizardSettings>(std::move(encoded));
  if (auto problem = CheckTexts(settings)) return Refused{Reason::InvalidText, std::move(problem)};
  if (!IsValidIdentifier(settings.ClassName) || ClassNameBreaksProject(settings)) {
    OfferRevert(view, Question::RevertClassName,
                "Class Name is not valid identifier.\rWould you like to revert it to default value?",
                InputField::ClassName, catalogue::NewProjectDefaults(settings.TargetApp).ClassName);
    return Refused{Reason::InvalidClassName};
  }
  if (!IsValidUnitFileName(settings.InterfaceUnitFile) || InterfaceUnitBreaksProject(settings)) {
    OfferRevert(view, Question::RevertInterfaceUnit,
                "Interface unit name is not valid.\rWould you like to revert it to default value?",
                InputField::InterfaceUnit,
                catalogue::NewProjectDefaults(settings.TargetApp, settings.TargetVersion).InterfaceUnitFile);
    return Refused{Reason::InvalidInterfaceUnit};
  }

  const std::string folder = OutputFolder(settings.OutputFolderText);
  if (!platform::FolderExists(folder + platform::kPathDelimiter) &&
      !view.AskYesNo(Question::CreateOutputFolder, "Output folder not found.\rWould you like to create it?")) {
    return Refused{Reason::FolderNotCreated};
  }
  platform::FolderCreation creation;
  if (!platform::CreateFolderPath(folder, &creation))
    return Failed{Failed::CreateFolder{creation.failedFolder, creation.error}, std::move(creation.created)};
  if (std::error_code error; platform::IsFolderWriteProtected(folder, &error))
    return Failed{Failed::ProbeFolder{folder, error}, std::move(creation.created)};
  const std::string projectSource = folder + platform::kPathDelimiter + settings.ClassName + ".dpr";
  // "alreary" is deliberate: the message keeps the wording its users know.
  // Do not correct it.
  if (platform::FileExists(projectSource) &&
      !view.AskYesNo(Question::OverwriteProject, "Project alreary exists.\rAre you sure you want to overwrite it?")) {
    return Refused{Reason::ProjectExists};
  }

  const generator::WarningHook warn = [&view](const std::string& title, const std::string& text) {
    view.ShowWarning(title, text);
  };
  // Every file is built before the first is written: a missing template
  // leaves the folder as it was.
  const generator::ProjectFileSet files = generator::BuildProjectFiles(settings, warn, fixed);
  std::vector<std::string> fileNames;
  for (const auto& file : files) fileNames.push_back(file.FileName);
  generator::WriteReport report;
  if (!write(files, folder, &report))
    return Failed{Failed::WriteFiles{folder, std::move(fileNames), std::move(report)}, std::move(creation.created)};
  return Generated{settings, folder, std::move(fileNames), std::move(report.Backups), std::move(creation.created)};
}

std::string UnexpectedErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace quillfern::command
