// What the tests of the Generate command and its callers share: the
// settings of a new project, and a view that records what the command did.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "cli/cli.h"
#include "wizard/generate_command.h"

namespace quillfern::testing {

struct CliResult {
  int status;
  std::string out, err;
};

// quillfern-cli with these arguments (UTF-8), run in this process.
inline CliResult RunCliWith(std::vector<std::string> args) {
  args.insert(args.begin(), "quillfern-cli");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

// A new project for App and Version with the dialog's defaults, to be
// written into FolderText.
inline generator::WizardSettings NewProjectSettings(std::size_t app, std::size_t version,
                                                    const std::string& folderText) {
  const catalogue::ProjectDefaults d = catalogue::NewProjectDefaults(app, version);
  generator::WizardSettings s;
  s.TargetApp = d.TargetApp;
  s.TargetVersion = d.TargetVersion;
  s.InterfaceUnitFile = d.InterfaceUnitFile;
  s.FriendlyName = d.FriendlyName;
  s.ClassName = d.ClassName;
  s.Description = d.Description;
  s.OutputFolderText = folderText;
  return s;
}

// A view with fixed settings that answers from a script and logs everything
// the command did, one line each: "ask TEXT -> Yes", "set FIELD TEXT",
// "focus FIELD", "error TEXT", "info TEXT", "warning TITLE".
class RecordingView : public wizard::GenerateView {
 public:
  explicit RecordingView(generator::WizardSettings s = {}) : settings(std::move(s)) {}

  generator::WizardSettings settings;
  std::deque<bool> answers;  // taken one per question; once used up, every answer is Yes
  bool scriptedOnly = false;  // a question beyond the script then fails the test
  std::function<void()> onWarning;  // runs between the checks and the writing
  std::vector<std::string> log;

  generator::WizardSettings ReadSettings() override { return settings; }
  void SetFieldText(wizard::InputField field, const std::string& text) override {
    (field == wizard::InputField::ClassName ? settings.ClassName : settings.InterfaceUnitFile) = text;
    log.push_back("set " + std::string(wizard::FieldName(field)) + " " + text);
  }
  void FocusField(wizard::InputField field) override {
    log.push_back("focus " + std::string(wizard::FieldName(field)));
  }
  bool AskYesNo(wizard::Question, const std::string& text) override {
    if (answers.empty() && scriptedOnly) ADD_FAILURE() << "unexpected question: " << text;
    const bool yes = answers.empty() ? !scriptedOnly : answers.front();
    if (!answers.empty()) answers.pop_front();
    log.push_back("ask " + text + (yes ? " -> Yes" : " -> No"));
    return yes;
  }
  void ShowError(const std::string& text) override { log.push_back("error " + text); }
  void ShowInformation(const std::string& text) override { log.push_back("info " + text); }
  void ShowWarning(const std::string& title, const std::string&) override {
    log.push_back("warning " + title);
    if (onWarning) onWarning();
  }

  // The last error or information shown, or empty.
  std::string Outcome() const {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
      if (it->rfind("error ", 0) == 0 || it->rfind("info ", 0) == 0) return *it;
    return {};
  }
};

}  // namespace quillfern::testing
