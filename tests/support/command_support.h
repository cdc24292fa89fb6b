// A view of the Generate command's for tests: it records what the command did.
#pragma once

#include <deque>
#include <functional>

#include "command/generate_command.h"
#include "support/generator_support.h"

namespace quillfern::testing {

// A view with fixed settings that answers from a script and logs everything
// the command did, one line each: "ask TEXT -> Yes", "set FIELD TEXT",
// "focus FIELD", "error TEXT", "info TEXT", "warning TITLE".
class RecordingView : public command::GenerateView {
 public:
  explicit RecordingView(generator::WizardSettings s = {}) : settings(std::move(s)) {}

  generator::WizardSettings settings;
  std::deque<bool> answers;  // taken one per question; once used up, every answer is Yes
  bool scriptedOnly = false;  // a question beyond the script then fails the test
  std::function<void()> onWarning;  // runs between the checks and the writing
  std::vector<std::string> log;

  generator::WizardSettings ReadSettings() override { return settings; }
  void SetFieldText(command::InputField field, const std::string& text) override;
  void FocusField(command::InputField field) override;
  bool AskYesNo(command::Question, const std::string& text) override;
  void ShowError(const std::string& text) override { log.push_back("error " + text); }
  void ShowInformation(const std::string& text) override { log.push_back("info " + text); }
  void ShowWarning(const std::string& title, const std::string&) override;

  // The last error or information shown, or empty.
  std::string Outcome() const;
};

}  // namespace quillfern::testing
