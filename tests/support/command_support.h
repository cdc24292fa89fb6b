// The Generate command seen from a test: a view that records what the
// command did, and what a run came to in words a test can compare.
#pragma once

#include <deque>
#include <functional>

#include "command/generate_command.h"
#include "command/messages.h"
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
  void SetFieldText(command::InputField field, const std::string& text) override {
    (field == command::InputField::ClassName ? settings.ClassName : settings.InterfaceUnitFile) = text;
    log.push_back("set " + std::string(command::FieldName(field)) + " " + text);
  }
  void FocusField(command::InputField field) override {
    log.push_back("focus " + std::string(command::FieldName(field)));
  }
  bool AskYesNo(command::Question, const std::string& text) override {
    if (answers.empty() && scriptedOnly) ADD_FAILURE() << "unexpected question: " << text;
    const bool yes = answers.empty() ? !scriptedOnly : answers.front();
    if (!answers.empty()) answers.pop_front();
    log.push_back("ask " + text + (yes ? " -> Yes" : " -> No"));
    return yes;
  }
  void ShowWarning(const std::string& title, const std::string&) override {
    log.push_back("warning " + title);
    if (onWarning) onWarning();
  }
};

// "generated", "refused " and the reason ("refused ProjectExists") or
// "failed " and the step ("failed WriteFiles").
inline std::string StateOf(const command::GenerateOutcome& outcome) {
  // In the order of their declarations.
  static const char* const reasons[] = {"InvalidText", "InvalidClassName", "InvalidInterfaceUnit",
                                        "FolderNotCreated", "ProjectExists"};
  if (std::holds_alternative<command::Planned>(outcome)) return "planned";
  if (const auto* r = std::get_if<command::Refused>(&outcome))
    return std::string("refused ") + reasons[static_cast<std::size_t>(r->reason)];
  if (const auto* f = std::get_if<command::Failed>(&outcome))
    return std::string("failed ") + std::visit(command::Overloaded{
                                                   [](const command::Failed::CreateFolder&) { return "CreateFolder"; },
                                                   [](const command::Failed::ProbeFolder&) { return "ProbeFolder"; },
                                                   [](const command::Failed::LockFolder&) { return "LockFolder"; },
                                                   [](const command::Failed::WriteFiles&) { return "WriteFiles"; },
                                               },
                                               f->step);
  return "generated";
}

}  // namespace quillfern::testing
