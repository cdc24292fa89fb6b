// The Generate command seen from a test: a view that records what the
// command did, and what a run came to in words a test can compare.
#pragma once

#include <deque>
#include <functional>

#include "command/generate_command.h"
#include "support/generator_support.h"

namespace quillfern::testing {

// A view with fixed settings that answers from a script and logs everything
// the command did, one line each: "ask TEXT -> Yes", "set FIELD TEXT",
// "focus FIELD", "warning TITLE".
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
  void ShowWarning(const std::string& title, const std::string&) override;
};

// "generated", "refused " and the reason ("refused ProjectExists") or
// "failed " and the step ("failed WriteFiles").
std::string StateOf(const command::GenerateOutcome& outcome);

}  // namespace quillfern::testing
