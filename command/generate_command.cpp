#include "command/generate_command.h"

#include <stdexcept>

#include "catalogue/catalogue.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace quillfern::command {

namespace {

// "alreary" is deliberate: the message keeps the wording its users know.
// Do not correct it.
constexpr char kRevertClassName[] = "Class Name is not valid identifier.\nWould you like to revert it to default value?";
constexpr char kRevertInterfaceUnit[] = "Interface unit name is not valid.\nWould you like to revert it to default value?";
constexpr char kCreateOutputFolder[] = "Output folder not found.\nWould you like to create it?";
constexpr char kOverwriteProject[] = "Project alreary exists.\nAre you sure you want to overwrite it?";

// Offers to put the default back into an invalid box; the focus goes there
// whatever the answer.
void OfferRevert(GenerateView& view, Question question, const char* text, InputField field,
                 const std::string& defaultText) {
  if (view.AskYesNo(question, text)) view.SetFieldText(field, defaultText);
  view.FocusField(field);
}

// The class name, then the interface unit: the first that is not a valid
// name, or would break the project, is asked about and refuses the run.
std::optional<Refused> CheckNames(GenerateView& view, const WizardSettings& s) {
  if (!IsValidIdentifier(s.ClassName) || ClassNameBreaksProject(s)) {
    OfferRevert(view, Question::RevertClassName, kRevertClassName, InputField::ClassName,
                catalogue::NewProjectDefaults(s.TargetApp).ClassName);
    return Refused{Refused::Reason::InvalidClassName};
  }
  if (!IsValidUnitFileName(s.InterfaceUnitFile) || InterfaceUnitBreaksProject(s)) {
    OfferRevert(view, Question::RevertInterfaceUnit, kRevertInterfaceUnit, InputField::InterfaceUnit,
                catalogue::NewProjectDefaults(s.TargetApp, s.TargetVersion).InterfaceUnitFile);
    return Refused{Refused::Reason::InvalidInterfaceUnit};
  }
  return std::nullopt;
}

// True unless a project of this class name is there and the user keeps it.
// Only the project source is looked for.
bool MayWriteProject(GenerateView& view, const WizardSettings& s, const std::string& folder) {
  const std::string projectSource = folder + platform::kPathDelimiter + s.ClassName + ".dpr";
  return !platform::FileExists(projectSource) || view.AskYesNo(Question::OverwriteProject, kOverwriteProject);
}

// Every file is built before the first is written: a missing template
// leaves the folder as it was.
generator::ProjectFileSet Build(GenerateView& view, const WizardSettings& s, const GenerateOptions& options) {
  const generator::WarningHook warn = [&view](const std::string& title, const std::string& text) {
    view.ShowWarning(title, text);
  };
  return generator::BuildProjectFiles(s, warn, options.fixed);
}

std::vector<std::string> NamesOf(const generator::ProjectFileSet& files) {
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.FileName);
  return names;
}

// The folders creating Folder takes, or, when the first of them cannot be
// made, the failure creating it would end in (a dry run says so without
// trying; a real run asks the system, which gives its own reason).
std::variant<platform::FolderPlan, Failed> PlannedFolders(const std::string& folder) {
  platform::FolderPlan plan = platform::PlanFolders(folder);
  if (plan.blocked) return Failed{Failed::CreateFolder{plan.toCreate.front(), plan.error}, {}};
  return plan;
}

// What generating into Folder would do, found without creating or writing
// anything.
GenerateOutcome Plan(GenerateView& view, const WizardSettings& s, const std::string& folder,
                     const GenerateOptions& options) {
  auto folders = PlannedFolders(folder);
  if (auto* failed = std::get_if<Failed>(&folders)) return std::move(*failed);
  Planned plan{s, folder, std::get<platform::FolderPlan>(std::move(folders)).toCreate, {}, {}, {}};
  if (plan.foldersToCreate.empty() && !MayWriteProject(view, s, folder)) return Refused{Refused::Reason::ProjectExists};
  const generator::ProjectFileSet files = Build(view, s, options);
  plan.fileNames = NamesOf(files);
  if (plan.foldersToCreate.empty()) {
    plan.backups = generator::BackupsNeeded(files, folder);
    plan.leftovers = generator::StagingLeftovers(folder);
  }
  return plan;
}

GenerateOutcome Generate(GenerateView& view, const WizardSettings& s, const std::string& folder,
                         const GenerateOptions& options) {
  platform::FolderCreation creation = platform::CreateFolderPath(folder);
  if (creation.error)
    return Failed{Failed::CreateFolder{creation.failedFolder, creation.error}, std::move(creation.created)};
  if (const std::error_code error = platform::IsFolderWriteProtected(folder))
    return Failed{Failed::ProbeFolder{folder, error}, std::move(creation.created)};
  // Held from the look for an existing project to the last file: no other
  // generation gets between the two, or into the files.
  platform::FolderLocking locking = platform::LockFolder(folder, options.lockWaitMilliseconds);
  if (locking.busy || locking.error)
    return Failed{Failed::LockFolder{folder, locking.busy, locking.error}, std::move(creation.created)};
  if (!MayWriteProject(view, s, folder)) return Refused{Refused::Reason::ProjectExists};
  const generator::ProjectFileSet files = Build(view, s, options);
  generator::WriteReport report;
  if (!options.write(files, folder, &report))
    return Failed{Failed::WriteFiles{folder, NamesOf(files), std::move(report)}, std::move(creation.created)};
  return Generated{s, folder, NamesOf(files), std::move(report.Backups), std::move(creation.created)};
}

}  // namespace

GenerateOutcome RunGenerateCommand(GenerateView& view, const GenerateOptions& options) {
  // The names first, each with its question, whatever else is wrong.
  const WizardSettings typed = view.ReadSettings();
  if (auto refused = CheckNames(view, typed)) return *refused;
  // Then the texts in the files' code page: every later check sees the
  // bytes that will be written, never a look-alike.
  auto encoded = EncodeSettings(typed);
  if (const auto* problem = std::get_if<TextProblem>(&encoded)) return Refused{Refused::Reason::InvalidText, *problem};
  const WizardSettings settings = std::get<WizardSettings>(std::move(encoded));
  if (auto problem = CheckTexts(settings)) return Refused{Refused::Reason::InvalidText, std::move(problem)};

  // Then the folder, worked out once and checked against every limit before
  // anything is asked or made: the folder checked is the folder written into.
  auto checked = OutputFolder(settings, platform::CurrentDirectory(), platform::kPathStyle);
  if (auto* problem = std::get_if<TextProblem>(&checked)) return Refused{Refused::Reason::InvalidText, std::move(*problem)};
  const std::string folder = std::get<std::string>(std::move(checked));
  // The folder text "\" (or "/" on POSIX) leaves no folder to create.
  if (folder.empty()) throw std::runtime_error("Unable to create directory");
  if (!platform::FolderExists(folder + platform::kPathDelimiter) &&
      !view.AskYesNo(Question::CreateOutputFolder, kCreateOutputFolder))
    return Refused{Refused::Reason::FolderNotCreated};
  return options.dryRun ? Plan(view, settings, folder, options) : Generate(view, settings, folder, options);
}

}  // namespace quillfern::command
