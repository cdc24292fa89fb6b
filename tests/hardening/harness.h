// What the abuse tests share: the command-line front end run in process, a
// fixed file set to compare against, and a generation that records what the
// Generate command said.
#pragma once

#include <string>
#include <vector>

#include "generator/project_files.h"
#include "wizard/generate_command.h"

namespace quillfern::testing {

struct CliResult {
  int status;
  std::string out, err;
};

// quillfern-cli with these arguments, in this process.
CliResult RunCliWith(std::vector<std::string> args);

// Settings that pass every check: Excel 2002/XP with its default texts.
generator::WizardSettings ExcelSettings(const std::string& folderText);

// Fixed machine values, so the bytes of a composed set are known in advance.
extern const generator::ProjectValues kFixedValues;

// A view that answers Yes to everything and records each message as
// "kind: text"; a test may hook the warning to act between the checks and
// the writing.
class RecordingView : public wizard::GenerateView {
 public:
  explicit RecordingView(generator::WizardSettings s) : settings(std::move(s)) {}
  generator::WizardSettings settings;
  std::vector<std::string> said;
  std::function<void()> onWarning;

  generator::WizardSettings ReadSettings() override { return settings; }
  void SetFieldText(wizard::InputField, const std::string& text) override { said.push_back("set: " + text); }
  void FocusField(wizard::InputField) override {}
  bool AskYesNo(wizard::Question, const std::string& text, wizard::MessageOffset) override {
    said.push_back("ask: " + text);
    return true;
  }
  void ShowError(const std::string& text, wizard::MessageOffset) override { said.push_back("error: " + text); }
  void ShowInformation(const std::string& text, wizard::MessageOffset) override {
    said.push_back("info: " + text);
  }
  void ShowWarning(const std::string&, const std::string&) override {
    if (onWarning) onWarning();
  }
  // The last error or information shown, or empty.
  std::string Outcome() const;
};

}  // namespace quillfern::testing
