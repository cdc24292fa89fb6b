#include "cli/cli.h"

#include <algorithm>
#include <iomanip>
#include <string>
#include <variant>
#include <vector>

#include "catalogue/catalogue.h"
#include "cli/check_command.h"
#include "cli/options.h"
#include "cli/text.h"
#include "command/generate_command.h"
#include "command/messages.h"
#include "platform/files.h"

namespace quillfern::cli {

namespace {

using command::Failed;
using command::GenerateOutcome;
using command::Generated;
using command::InputField;
using command::Planned;
using command::Question;
using command::Refused;
using generator::WizardSettings;

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
// missing folder is created, an existing project is replaced only with
// --force, and an invalid name is an error. A question that stops the run is
// reported by its first line.
class TerminalView : public command::GenerateView {
 public:
  TerminalView(WizardSettings settings, bool force, std::ostream& err)
      : settings_(std::move(settings)), force_(force), err_(err) {}

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
        return true;
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
  bool force_;
  std::ostream& err_;
};

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
  if (w.NothingChanged) err << "; nothing was changed";
  else if (done == names) err << "; no file was written";
  else err << "; the project is incomplete: written and left in place: " << Listed({names, done}, ", ")
           << "; not written: " << Listed({done, step.fileNames.end()}, ", ");
  if (!w.Backups.empty()) err << "; earlier files kept as backups: " << Listed(w.Backups, ", ");
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
                 [&](const Failed::LockFolder& step) {
                   if (step.busy)
                     err << "error: another generation held " << Shown(step.folder) << " for "
                         << command::kLockWaitMilliseconds / 1000 << " seconds; nothing was written";
                   else
                     err << "error: could not lock " << Shown(step.folder) << ": " << platform::ErrorText(step.error)
                         << "; nothing was written";
                 },
                 [&](const Failed::WriteFiles& step) { ExplainWrite(step, err); },
             },
             failed.step);
  err << CreatedFolders(failed.createdFolders) << "\n";
}

// A dry run's report, in the command's words.
int ListPlan(const Planned& plan, std::ostream& out) {
  out << command::PlanText(plan);
  return kGenerated;
}

int ShowGenerated(const Generated& generated, std::ostream& out) {
  out << catalogue::SuccessMessage(generated.settings.TargetApp, generated.settings.TargetVersion) << "\n";
  if (!generated.backups.empty())
    out << "Replaced files kept as backups: " << Listed(generated.backups, ", ") << "\n";
  return kGenerated;
}

int ShowRefused(const Refused& refused, std::ostream& err) {
  switch (refused.reason) {
    case Refused::Reason::InvalidText:
      err << "error: " << command::TextProblemText(*refused.textProblem) << "\n";
      return kInvalidInput;
    // The view has said why.
    case Refused::Reason::InvalidClassName:
    case Refused::Reason::InvalidInterfaceUnit: return kInvalidInput;
    case Refused::Reason::FolderNotCreated:
    case Refused::Reason::ProjectExists: return kCouldNotGenerate;
  }
  return kCouldNotGenerate;
}

int ShowFailed(const Failed& failed, std::ostream& err) {
  err << "error: " << command::FailureText(failed) << "\n";
  ExplainFailure(failed, err);
  return kCouldNotGenerate;
}

int Generate(const GenerateRequest& request, std::ostream& out, std::ostream& err) {
  TerminalView view(request.settings, request.force, err);
  try {
    return std::visit(command::Overloaded{
                          [&](const Generated& generated) { return ShowGenerated(generated, out); },
                          [&](const Planned& plan) { return ListPlan(plan, out); },
                          [&](const Refused& refused) { return ShowRefused(refused, err); },
                          [&](const Failed& failed) { return ShowFailed(failed, err); },
                      },
                      command::RunGenerateCommand(view, {request.fixed, request.dryRun}));
  } catch (const std::exception& e) {
    err << "error: " << command::UnexpectedErrorText(e.what()) << "\n";
    return kCouldNotGenerate;
  }
}

// The status of a run whose messages went to Out and Err: a run that did
// what was asked, but whose messages did not all reach their stream, says
// so where it still can and does not end in success.
int AfterOutput(int status, std::ostream& out, std::ostream& err) {
  out.flush();
  err.flush();
  if (out.good() && err.good()) return status;
  if (err.good()) {
    err << "error: " << (status == kGenerated ? "the run did what was asked, but " : "")
        << "standard output could not take all of its messages\n";
    err.flush();
  }
  return status == kGenerated ? kOutputFailed : status;
}

int ShowArgumentError(const ArgumentError& error, std::ostream& err) {
  err << "error: " << error.text << "\n";
  if (error.pointToHelp) err << "Run 'quillfern-cli --help' for the options.\n";
  return kInvalidInput;
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           const std::optional<std::string>& sourceDateEpoch) {
  const auto parsed = ParseArguments(std::vector<std::string>(argv + std::min(argc, 1), argv + argc),
                                     Environment{sourceDateEpoch, platform::CurrentDirectory()});
  if (const auto* error = std::get_if<ArgumentError>(&parsed)) return AfterOutput(ShowArgumentError(*error, err), out, err);
  return AfterOutput(std::visit(command::Overloaded{
                        [&](const GenerateRequest& request) { return Generate(request, out, err); },
                        [&](const CheckRequest& request) { return RunCheckCommand(request, out, err); },
                        [&](const ListRequest&) {
                          PrintCatalogue(out);
                          return static_cast<int>(kGenerated);
                        },
                        [&](const TextRequest& text) {
                          out << text.text;
                          return static_cast<int>(kGenerated);
                        },
                    },
                    std::get<Request>(parsed)), out, err);
}

}  // namespace quillfern::cli
