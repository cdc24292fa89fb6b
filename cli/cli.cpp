#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "catalogue/catalogue.h"
#include "command/generate_command.h"
#include "generator/machine_values.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "version.h"

namespace quillfern::cli {

namespace {

using command::Failed;
using command::GenerateOutcome;
using command::Generated;
using command::InputField;
using command::Question;
using command::Refused;
using generator::WizardSettings;

// A message may hold CR or CR LF between its lines; a terminal wants LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

std::optional<std::size_t> FindApp(const std::string& name) {
  for (std::size_t row = 0; row < catalogue::OfficeApps.size(); ++row)
    if (platform::SameIgnoringAsciiCase(catalogue::OfficeApps[row].DisplayName, name)) return row;
  return std::nullopt;
}

std::optional<std::size_t> FindVersion(const std::string& name) {
  const std::string v = platform::AsciiLower(name);
  if (v == "2000") return 0;
  if (v == "2002/xp" || v == "2002" || v == "xp") return 1;
  return std::nullopt;
}

std::optional<bool> ParseHive(const std::string& name) {
  const std::string h = platform::AsciiLower(name);
  if (h == "hkcu" || h == "hkey_current_user") return true;
  if (h == "hklm" || h == "hkey_local_machine") return false;
  return std::nullopt;
}

// Text without the blanks (spaces, tabs) at either end.
std::string WithoutOuterBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Sets the four load flags from "connected,bootload,..." or "none", with
// blanks allowed around each word (as lists are typed: "connected,
// bootload"); returns the first word it does not know, or nothing when all
// were understood.
std::optional<std::string> ParseLoad(const std::string& list, WizardSettings& s) {
  s.LoadConnected = s.LoadBootLoad = s.LoadDemandLoad = s.LoadConnectFirstTime = false;
  if (platform::AsciiLower(WithoutOuterBlanks(list)) == "none") return std::nullopt;
  std::stringstream words(list);
  std::string word;
  bool any = false;
  while (std::getline(words, word, ',')) {
    word = WithoutOuterBlanks(word);
    const std::string w = platform::AsciiLower(word);
    if (w == "connected") s.LoadConnected = true;
    else if (w == "bootload") s.LoadBootLoad = true;
    else if (w == "demandload") s.LoadDemandLoad = true;
    else if (w == "connectfirsttime") s.LoadConnectFirstTime = true;
    else return word;
    any = true;
  }
  if (!any) return std::string();
  return std::nullopt;
}

// The class identifier and moment the caller fixed, into Fixed; the text
// of the error when one of them cannot be used.
std::optional<std::string> FixMachineValues(const std::optional<std::string>& classId,
                                            const std::optional<std::string>& sourceDateEpoch,
                                            generator::FixedMachineValues& fixed) {
  if (classId) {
    const auto id = generator::ClassIdFromText(*classId);
    if (const auto* problem = std::get_if<generator::ClassIdProblem>(&id)) {
      if (*problem == generator::ClassIdProblem::Null)
        return "--class-id " + *classId + " is the null class identifier, which COM takes for no class at all "
               "(give the project's own, or leave --class-id out for a new one)";
      return "invalid class identifier '" + *classId +
             "' (use the registry form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, with hexadecimal digits)";
    }
    fixed.ClassId = std::get<std::string>(id);
  }
  if (sourceDateEpoch) {
    const auto moment = generator::MomentFromText(*sourceDateEpoch);
    if (const auto* problem = std::get_if<generator::MomentProblem>(&moment)) {
      const std::string expected = "(use the seconds since 1970-01-01 00:00:00 UTC, a whole number from 0 to " +
                                   std::to_string(generator::kLatestMoment);
      switch (*problem) {
        case generator::MomentProblem::Empty:
          return "SOURCE_DATE_EPOCH is set but empty " + expected + ", or unset it)";
        case generator::MomentProblem::NotWholeNumber:
          return "SOURCE_DATE_EPOCH '" + *sourceDateEpoch + "' is not a whole non-negative number " + expected + ")";
        case generator::MomentProblem::TooLate:
          return "SOURCE_DATE_EPOCH '" + *sourceDateEpoch + "' is after the year 9999 " + expected + ")";
      }
    }
    fixed.Moment = std::get<std::int64_t>(moment);
  }
  return std::nullopt;
}

void PrintCatalogue(std::ostream& out) {
  out << "Host        Executable     Default interface units\n";
  for (std::size_t a = 0; a < catalogue::OfficeApps.size(); ++a) {
    const auto& app = catalogue::OfficeApps[a];
    out << std::left << std::setw(12) << app.DisplayName << std::setw(15) << app.ExeName;
    for (std::size_t v = 0; v < catalogue::OfficeVersions.size(); ++v)
      out << (v ? ", " : "") << catalogue::DefaultWrapperUnit(a, v) << ".pas";
    out << "\n";
  }
  out << "\nVersions: ";
  for (std::size_t v = 0; v < catalogue::OfficeVersions.size(); ++v)
    out << (v ? ", " : "") << catalogue::OfficeVersions[v].VersionName;
  out << "\n";
}

// The Generate command's view for a terminal: nothing is ever asked. A
// missing folder is created (unless this is a dry run), an existing project
// is replaced only with --force, and an invalid name is an error. A question
// that stops the run is reported by its first line.
class TerminalView : public command::GenerateView {
 public:
  TerminalView(WizardSettings settings, bool force, bool dryRun, std::ostream& err)
      : settings_(std::move(settings)), force_(force), dryRun_(dryRun), err_(err) {}

  WizardSettings ReadSettings() override { return settings_; }
  void SetFieldText(InputField, const std::string&) override {}
  void FocusField(InputField) override {}

  bool AskYesNo(Question question, const std::string& text) override {
    switch (question) {
      case Question::RevertClassName:
      case Question::RevertInterfaceUnit:
        err_ << "error: " << Lines(text).front() << "\n";
        return false;
      case Question::CreateOutputFolder:
        return !dryRun_;
      case Question::OverwriteProject:
        if (force_) return true;
        err_ << "error: " << Lines(text).front() << "\n       (use --force to overwrite it)\n";
        return false;
    }
    return false;
  }

  void ShowWarning(const std::string&, const std::string& text) override {
    for (const std::string& line : Lines(text)) err_ << "warning: " << line << "\n";
  }

 private:
  WizardSettings settings_;
  bool force_, dryRun_;
  std::ostream& err_;
};

std::string Joined(std::vector<std::string>::const_iterator first, std::vector<std::string>::const_iterator last) {
  std::string text;
  for (; first != last; ++first) text += (text.empty() ? "" : ", ") + *first;
  return text;
}

// A path as an error line shows it: whole, unless it is so long (a chain
// past the system's limits) that it would fill the screen; then its first
// folders and its last name around "...", and its length.
std::string Shown(const std::string& path) {
  constexpr std::size_t kLongest = 320, kHead = 60;
  if (path.size() <= kLongest) return path;
  std::string head = platform::FolderPart(path);
  const std::string last = path.substr(head.size());
  bool dropped = false;
  while (head.size() > kHead) {
    head.pop_back();  // the separator; FolderPart then gives the folder above
    const std::string up = platform::FolderPart(head);
    if (up.empty()) break;
    head = up;
    dropped = true;
  }
  if (!dropped) return path;  // one long name: nothing to leave out
  // Characters, not bytes: the path is UTF-8 text.
  const auto characters = std::count_if(path.begin(), path.end(), [](char c) { return (c & 0xC0) != 0x80; });
  return head + "..." + platform::kPathDelimiter + last + " (" + std::to_string(characters) + " characters)";
}

// The folders a failed run made and leaves: the outermost by name, the rest
// by number, so that a deep chain still fits on a screen.
std::string CreatedFolders(const std::vector<std::string>& created) {
  if (created.empty()) return "";
  std::string text = "; created before the failure and left in place: " + Shown(created.front());
  const std::size_t below = created.size() - 1;
  if (below == 1) text += " and the folder below it";
  if (below > 1) text += " and the " + std::to_string(below) + " folders below it";
  return text;
}

// Where a write stopped and why, what it wrote and leaves, and the backups
// it made.
void ExplainWrite(const Failed::WriteFiles& step, std::ostream& err) {
  const generator::WriteReport& w = step.report;
  const auto names = step.fileNames.begin();
  const auto done = names + static_cast<std::ptrdiff_t>(std::min(w.FilesWritten, step.fileNames.size()));
  const std::string path = Shown(step.folder + platform::kPathDelimiter + w.FileName);
  if (w.BackupFailed)
    err << "error: could not back up " << path << " as " << generator::BackupName(w.FileName) << ": "
        << platform::ErrorText(w.Error) << "; it was left as it was";
  else
    err << "error: could not write " << path << ": " << platform::ErrorText(w.Error);
  if (done == names) err << "; no file was written";
  else err << "; the project is incomplete: written and left in place: " << Joined(names, done)
           << "; not written: " << Joined(done, step.fileNames.end());
  if (!w.Backups.empty()) err << "; earlier files kept as backups: " << Joined(w.Backups.begin(), w.Backups.end());
}

// The second error line of a failed run: where it stopped, the system's
// reason, and what it made and leaves.
void ExplainFailure(const Failed& failed, std::ostream& err) {
  std::visit(command::Overloaded{
                 [&](const Failed::CreateFolder& step) {
                   err << "error: could not create " << Shown(step.folder) << ": " << platform::ErrorText(step.error);
                 },
                 [&](const Failed::ProbeFolder& step) {
                   err << "error: no file can be made in " << Shown(step.folder) << ": "
                       << platform::ErrorText(step.error);
                 },
                 [&](const Failed::WriteFiles& step) { ExplainWrite(step, err); },
             },
             failed.step);
  err << CreatedFolders(failed.createdFolders) << "\n";
}

// A dry run's report: the files that generating would write, and the
// backups it would make of what they replace.
int ListPlan(const std::string& folder, const std::vector<std::string>& fileNames,
             const std::vector<std::string>& backups, std::ostream& out) {
  out << "Dry run: nothing was written. Generating would write:\n";
  for (const std::string& name : fileNames) out << "  " << folder << platform::kPathDelimiter << name << "\n";
  if (!backups.empty()) {
    out << "and keep the files it would replace as backups:\n";
    for (const std::string& name : backups) out << "  " << folder << platform::kPathDelimiter << name << "\n";
  }
  return kGenerated;
}

// The command stopped where it would have created the folder, as a dry run
// creates none: the remaining checks hold trivially for a folder that is not
// there yet, so the files are built here from the settings as the command
// checked them (in the files' code page, which the command got as far as).
int ListPlanForNewFolder(const WizardSettings& typed, const generator::FixedMachineValues& fixed,
                         TerminalView& view, std::ostream& out) {
  const WizardSettings settings = std::get<WizardSettings>(command::EncodeSettings(typed));
  const std::string folder = command::OutputFolder(settings.OutputFolderText);
  out << "Dry run: the folder " << folder << " would be created.\n";
  const generator::WarningHook warn = [&view](const std::string& t, const std::string& x) { view.ShowWarning(t, x); };
  std::vector<std::string> fileNames;
  for (const auto& file : generator::BuildProjectFiles(settings, warn, fixed)) fileNames.push_back(file.FileName);
  return ListPlan(folder, fileNames, {}, out);
}

int Generate(const WizardSettings& settings, const generator::FixedMachineValues& fixed, bool force, bool dryRun,
             std::ostream& out, std::ostream& err) {
  TerminalView view(settings, force, dryRun, err);
  // A dry run runs every check and, instead of writing the files, reports
  // the backups writing them would make; the plan is listed from that.
  const command::ProjectWriter listOnly = [](const generator::ProjectFileSet& files, const std::string& folder,
                                             generator::WriteReport* report) {
    if (report) report->Backups = generator::BackupsNeeded(files, folder);
    return true;
  };
  try {
    const GenerateOutcome outcome =
        command::RunGenerateCommand(view, dryRun ? listOnly : command::ProjectWriter(generator::WriteFileSet), fixed);
    return std::visit(
        command::Overloaded{
            [&](const Generated& generated) -> int {
              if (dryRun) return ListPlan(generated.folder, generated.fileNames, generated.backups, out);
              out << catalogue::SuccessMessage(generated.settings.TargetApp, generated.settings.TargetVersion) << "\n";
              if (!generated.backups.empty())
                out << "Replaced files kept as backups: " << Joined(generated.backups.begin(), generated.backups.end())
                    << "\n";
              return kGenerated;
            },
            [&](const Refused& refused) -> int {
              switch (refused.reason) {
                case Refused::Reason::InvalidText:
                  err << "error: " << command::TextProblemText(*refused.textProblem) << "\n";
                  return kInvalidInput;
                case Refused::Reason::InvalidClassName:
                case Refused::Reason::InvalidInterfaceUnit: return kInvalidInput;
                case Refused::Reason::FolderNotCreated:
                  return dryRun ? ListPlanForNewFolder(settings, fixed, view, out) : kCouldNotGenerate;
                case Refused::Reason::ProjectExists: return kCouldNotGenerate;
              }
              return kCouldNotGenerate;
            },
            [&](const Failed& failed) -> int {
              err << "error: " << command::FailureText(failed) << "\n";
              ExplainFailure(failed, err);
              return kCouldNotGenerate;
            },
        },
        outcome);
  } catch (const std::exception& e) {
    err << "error: " << command::UnexpectedErrorText(e.what()) << "\n";
    return kCouldNotGenerate;
  }
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           const std::optional<std::string>& sourceDateEpoch) {
  CLI::App app{"Writes the skeleton of a Microsoft Office COM add-in project for Delphi.",
               "quillfern-cli"};
  const catalogue::ProjectDefaults start = catalogue::NewProjectDefaults();
  std::string appName(catalogue::App(start.TargetApp).DisplayName),
      versionName(catalogue::Version(start.TargetVersion).VersionName), unit, hive = "HKCU",
              load = "connected,bootload", friendlyName, className, description, classId,
              folder = platform::CurrentDirectory();
  bool force = false, dryRun = false, list = false;
  unsigned codePage = platform::DefaultCodePage();
  app.add_option("-a,--app", appName,
                 "Access (default), Excel, FrontPage, Outlook, PowerPoint, Word (any letter case)");
  app.add_option("-V,--office-version", versionName,
                 "2000 (default) or 2002/XP (\"2002\" and \"XP\" are accepted too)");
  app.add_option("-u,--unit", unit,
                 "interface unit file name (default: the host's wrapper unit for that version + \".pas\")");
  app.add_option("--install-in", hive, "HKCU (default) or HKLM");
  app.add_option("-l,--load", load,
                 "comma list of connected, bootload, demandload, connectfirsttime, or none, blanks around "
                 "the commas allowed (default: connected,bootload)");
  app.add_option("-f,--friendly-name", friendlyName, "default \"New <App> Add-In\"");
  app.add_option("-c,--class-name", className, "default \"<App>Addin1\"");
  app.add_option("-d,--description", description, "default \"Microsoft <App> <Version> COM Add-In\"");
  app.add_option("-o,--output", folder,
                 "output folder (default: the current directory); created with its parents when missing");
  app.add_option("--class-id", classId,
                 "the add-in's class identifier, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} in either letter case "
                 "(default: a new one each run); give a project's own back to generate it again without "
                 "orphaning its registration");
  app.add_flag("--force", force, "overwrite an existing project (without it an existing project is refused)");
  app.add_flag("--dry-run", dryRun,
               "run every check and list the files that would be written; write nothing");
  app.add_flag("--list", list, "print the hosts and versions and exit");
  app.add_option("--code-page", codePage,
                 "the Windows ANSI code page of the generated files (default: the system's on Windows, 1252 "
                 "on Linux); text it cannot hold exactly is refused (exit 2)");
  app.set_version_flag("--version", "quillfern-cli " QUILLFERN_VERSION);
  app.footer(
      "Environment: SOURCE_DATE_EPOCH, when set, is the read-me's date in seconds since 1970, shown in UTC; "
      "with it and --class-id the same inputs give the same bytes.\n"
      "Exit status: 0 generated (or dry run passed); 1 could not generate; 2 invalid arguments or inputs.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);
    err << "error: " << e.what() << "\nRun 'quillfern-cli --help' for the options.\n";
    return kInvalidInput;
  }
  if (list) {
    PrintCatalogue(out);
    return kGenerated;
  }

  WizardSettings s;
  const auto appRow = FindApp(appName);
  if (!appRow) {
    err << "error: unknown host application '" << appName
        << "' (use Access, Excel, FrontPage, Outlook, PowerPoint or Word)\n";
    return kInvalidInput;
  }
  const auto versionRow = FindVersion(versionName);
  if (!versionRow) {
    err << "error: unknown Office version '" << versionName << "' (use 2000 or 2002/XP)\n";
    return kInvalidInput;
  }
  const auto currentUser = ParseHive(hive);
  if (!currentUser) {
    err << "error: unknown registry hive '" << hive << "' (use HKCU or HKLM)\n";
    return kInvalidInput;
  }
  if (const auto bad = ParseLoad(load, s)) {
    err << "error: unknown load behaviour '" << *bad
        << "' (use a comma list of connected, bootload, demandload, connectfirsttime, or none)\n";
    return kInvalidInput;
  }
  s.TargetApp = *appRow;
  s.TargetVersion = *versionRow;
  s.InstallForCurrentUser = *currentUser;
  const catalogue::ProjectDefaults defaults = catalogue::NewProjectDefaults(s.TargetApp, s.TargetVersion);
  s.InterfaceUnitFile = app.count("--unit") ? unit : defaults.InterfaceUnitFile;
  s.FriendlyName = app.count("--friendly-name") ? friendlyName : defaults.FriendlyName;
  s.ClassName = app.count("--class-name") ? className : defaults.ClassName;
  s.Description = app.count("--description") ? description : defaults.Description;
  s.OutputFolderText = folder;
  if (app.count("--code-page") && !platform::IsAnsiCodePage(codePage)) {
    err << "error: " << codePage << " is not a Windows ANSI code page (use one of";
    for (const unsigned known : platform::kAnsiCodePages) err << ' ' << known;
    err << ")\n";
    return kInvalidInput;
  }
  s.CodePage = codePage;
  generator::FixedMachineValues fixed;
  if (const auto problem = FixMachineValues(app.count("--class-id") ? std::optional(classId) : std::nullopt,
                                            sourceDateEpoch, fixed)) {
    err << "error: " << *problem << "\n";
    return kInvalidInput;
  }
  return Generate(s, fixed, force, dryRun, out, err);
}

}  // namespace quillfern::cli
