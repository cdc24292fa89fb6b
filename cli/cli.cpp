#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "platform/probes.h"
#include "version.h"
#include "wizard/generate_command.h"

namespace quillfern::cli {

namespace {

using generator::WizardSettings;
using wizard::InputField;
using wizard::MessageOffset;
using wizard::Question;

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

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
    if (Lower(std::string(catalogue::OfficeApps[row].DisplayName)) == Lower(name)) return row;
  return std::nullopt;
}

std::optional<std::size_t> FindVersion(const std::string& name) {
  const std::string v = Lower(name);
  if (v == "2000") return 0;
  if (v == "2002/xp" || v == "2002" || v == "xp") return 1;
  return std::nullopt;
}

std::optional<bool> ParseHive(const std::string& name) {
  const std::string h = Lower(name);
  if (h == "hkcu" || h == "hkey_current_user") return true;
  if (h == "hklm" || h == "hkey_local_machine") return false;
  return std::nullopt;
}

// Sets the four load flags from "connected,bootload,..." or "none"; returns
// the first word it does not know, or nothing when all were understood.
std::optional<std::string> ParseLoad(const std::string& list, WizardSettings& s) {
  s.LoadConnected = s.LoadBootLoad = s.LoadDemandLoad = s.LoadConnectFirstTime = false;
  if (Lower(list) == "none") return std::nullopt;
  std::stringstream words(list);
  std::string word;
  bool any = false;
  while (std::getline(words, word, ',')) {
    const std::string w = Lower(word);
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
// is replaced only with --force, and an invalid name is an error.
class TerminalView : public wizard::GenerateView {
 public:
  TerminalView(WizardSettings settings, bool force, bool dryRun, std::ostream& out,
               std::ostream& err)
      : settings_(std::move(settings)), force_(force), dryRun_(dryRun), out_(out), err_(err) {}

  WizardSettings ReadSettings() override { return settings_; }
  void SetFieldText(InputField, const std::string&) override {}
  void FocusField(InputField) override {}

  bool AskYesNo(Question question, const std::string& text, MessageOffset) override {
    switch (question) {
      case Question::RevertClassName:
      case Question::RevertInterfaceUnit:
        Fail(kInvalidInput, Lines(text).front());
        return false;
      case Question::CreateOutputFolder:
        folderMissing_ = true;
        return !dryRun_;
      case Question::OverwriteProject:
        if (force_) return true;
        Fail(kCouldNotGenerate, Lines(text).front());
        err_ << "       (use --force to overwrite it)\n";
        return false;
    }
    return false;
  }

  void ShowError(const std::string& text, MessageOffset) override {
    // Straight after the failing call, before anything else can overwrite it.
    systemReason_ = platform::LastErrorText();
    errorText_ = text;
    Fail(kCouldNotGenerate, text);
  }

  void ShowInformation(const std::string& text, MessageOffset) override {
    if (!dryRun_) out_ << text << "\n";
    succeeded_ = true;
  }

  void ShowWarning(const std::string&, const std::string& text) override {
    for (const std::string& line : Lines(text)) err_ << "warning: " << line << "\n";
  }

  void Fail(ExitStatus status, const std::string& text) {
    status_ = status;
    err_ << "error: " << text << "\n";
  }

  bool folderMissing() const { return folderMissing_; }
  const std::string& systemReason() const { return systemReason_; }
  const std::string& errorText() const { return errorText_; }
  bool succeeded() const { return succeeded_; }
  int status() const { return status_; }

 private:
  WizardSettings settings_;
  bool force_, dryRun_;
  std::ostream& out_;
  std::ostream& err_;
  bool folderMissing_ = false;
  bool succeeded_ = false;
  int status_ = kGenerated;
  std::string systemReason_;
  std::string errorText_;
};

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// The folders from the outermost missing one down to Folder itself: those
// that a generation into Folder would create.
std::vector<std::string> MissingFolders(const std::string& folder) {
  std::vector<std::string> missing;
  std::string path = folder;
  while (!path.empty() && !platform::IsVolumeRoot(path) && !platform::FolderExists(path)) {
    missing.insert(missing.begin(), path);
    std::string parent = platform::FolderPart(path);
    if (!parent.empty() && parent.back() == platform::kPathDelimiter) parent.pop_back();
    if (parent == path) break;
    path = parent;
  }
  return missing;
}

// After a failed run: which folders the run created and left, and where the
// folder chain or the file set stopped and why, so nothing half made goes
// unmentioned.
void ExplainFailure(const std::vector<std::string>& missingBefore, const TerminalView& view,
                    const generator::WriteFailure* write, const std::string& folder,
                    const std::vector<std::string>& fileNames, std::ostream& err) {
  std::vector<std::string> created, stillMissing;
  for (const std::string& path : missingBefore)
    (platform::FolderExists(path) ? created : stillMissing).push_back(path);
  if (write) {
    const std::vector<std::string> done(fileNames.begin(), fileNames.begin() + write->FilesWritten);
    const std::vector<std::string> notDone(fileNames.begin() + write->FilesWritten, fileNames.end());
    err << "error: could not write " << folder << platform::kPathDelimiter << write->FileName << ": "
        << write->Reason << "; ";
    if (done.empty()) err << "no file was written\n";
    else err << "the project is incomplete: written and left in place: " << Joined(done)
             << "; not written: " << Joined(notDone) << "\n";
    return;
  }
  const std::string left =
      created.empty() ? "" : "; created before the failure and left in place: " + Joined(created);
  if (!stillMissing.empty()) {
    err << "error: could not create " << stillMissing.front() << ": " << view.systemReason() << left << "\n";
  } else if (view.errorText() == "Output folder is write protected.") {
    err << "error: no file can be made in " << folder << ": " << view.systemReason() << left << "\n";
  } else if (!created.empty()) {
    err << "error: " << left.substr(2) << "\n";
  }
}

// Runs the command; a dry run builds the files and lists them instead of
// writing, and creates no folder.
int Generate(const WizardSettings& settings, bool force, bool dryRun, std::ostream& out,
             std::ostream& err) {
  TerminalView view(settings, force, dryRun, out, err);
  std::vector<std::string> planned;
  const wizard::ProjectWriter listOnly = [&planned](const WizardSettings& s, const std::string& folder,
                                                    const generator::WarningHook& warn) {
    for (const auto& file : generator::BuildProjectFiles(s, warn))
      planned.push_back(folder + platform::kPathDelimiter + file.FileName);
    return true;
  };
  try {
    if (!dryRun) {
      const std::string folder = wizard::OutputFolder(settings.OutputFolderText);
      const std::vector<std::string> missingBefore = MissingFolders(folder);
      std::optional<generator::WriteFailure> failed;
      std::vector<std::string> fileNames;
      const wizard::ProjectWriter write = [&](const WizardSettings& s, const std::string& into,
                                              const generator::WarningHook& warn) {
        const generator::ProjectFileSet files = generator::BuildProjectFiles(s, warn);
        for (const auto& file : files) fileNames.push_back(file.FileName);
        generator::WriteFailure failure;
        if (generator::WriteFileSet(files, into, &failure)) return true;
        failed = failure;
        return false;
      };
      wizard::RunGenerateCommand(view, write);
      if (view.status() == kCouldNotGenerate)
        ExplainFailure(missingBefore, view, failed ? &*failed : nullptr, folder, fileNames, err);
      return view.status();
    }
    wizard::RunGenerateCommand(view, listOnly);
    const std::string folder = wizard::OutputFolder(settings.OutputFolderText);
    if (view.status() != kGenerated) return view.status();
    if (view.folderMissing()) {
      // The command stopped where it would have created the folder: the
      // remaining checks hold trivially for a folder that is not there yet.
      out << "Dry run: the folder " << folder << " would be created.\n";
      listOnly(settings, folder, [&view](const std::string& t, const std::string& x) { view.ShowWarning(t, x); });
    }
    out << "Dry run: nothing was written. Generating would write:\n";
    for (const std::string& path : planned) out << "  " << path << "\n";
    return kGenerated;
  } catch (const std::exception& e) {
    err << "error: " << wizard::UnexpectedErrorText(e.what()) << "\n";
    return kCouldNotGenerate;
  }
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Writes the skeleton of a Microsoft Office COM add-in project for Delphi.",
               "quillfern-cli"};
  std::string appName = "Access", versionName = "2000", unit, hive = "HKCU",
              load = "connected,bootload", friendlyName, className, description,
              folder = platform::CurrentDirectory();
  bool force = false, dryRun = false, list = false;
  app.add_option("-a,--app", appName,
                 "Access (default), Excel, FrontPage, Outlook, PowerPoint, Word (any letter case)");
  app.add_option("-V,--office-version", versionName,
                 "2000 (default) or 2002/XP (\"2002\" and \"XP\" are accepted too)");
  app.add_option("-u,--unit", unit,
                 "interface unit file name (default: the host's wrapper unit for that version + \".pas\")");
  app.add_option("--install-in", hive, "HKCU (default) or HKLM");
  app.add_option("-l,--load", load,
                 "comma list of connected, bootload, demandload, connectfirsttime, or none "
                 "(default: connected,bootload)");
  app.add_option("-f,--friendly-name", friendlyName, "default \"New <App> Add-In\"");
  app.add_option("-c,--class-name", className, "default \"<App>Addin1\"");
  app.add_option("-d,--description", description, "default \"Microsoft <App> <Version> COM Add-In\"");
  app.add_option("-o,--output", folder,
                 "output folder (default: the current directory); created with its parents when missing");
  app.add_flag("--force", force, "overwrite an existing project (without it an existing project is refused)");
  app.add_flag("--dry-run", dryRun,
               "run every check and list the files that would be written; write nothing");
  app.add_flag("--list", list, "print the hosts and versions and exit");
  app.set_version_flag("--version", "quillfern-cli " QUILLFERN_VERSION);
  app.footer(
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
  s.InterfaceUnitFile = app.count("--unit") ? unit : catalogue::DefaultWrapperUnit(s.TargetApp, s.TargetVersion) + ".pas";
  s.FriendlyName = app.count("--friendly-name") ? friendlyName : catalogue::DefaultFriendlyName(s.TargetApp);
  s.ClassName = app.count("--class-name") ? className : catalogue::DefaultClassName(s.TargetApp);
  s.Description = app.count("--description") ? description
                                              : catalogue::DefaultDescription(s.TargetApp, s.TargetVersion);
  s.OutputFolderText = folder;
  return Generate(s, force, dryRun, out, err);
}

}  // namespace quillfern::cli
