#include "support/command_support.h"

namespace quillfern::testing {

void RecordingView::SetFieldText(command::InputField field, const std::string& text) {
  (field == command::InputField::ClassName ? settings.ClassName : settings.InterfaceUnitFile) = text;
  log.push_back("set " + std::string(command::FieldName(field)) + " " + text);
}

void RecordingView::FocusField(command::InputField field) {
  log.push_back("focus " + std::string(command::FieldName(field)));
}

bool RecordingView::AskYesNo(command::Question, const std::string& text) {
  if (answers.empty() && scriptedOnly) ADD_FAILURE() << "unexpected question: " << text;
  const bool yes = answers.empty() ? !scriptedOnly : answers.front();
  if (!answers.empty()) answers.pop_front();
  log.push_back("ask " + text + (yes ? " -> Yes" : " -> No"));
  return yes;
}

void RecordingView::ShowWarning(const std::string& title, const std::string&) {
  log.push_back("warning " + title);
  if (onWarning) onWarning();
}

std::string StateOf(const command::GenerateOutcome& outcome) {
  // In the order of their declarations.
  static const char* const reasons[] = {"InvalidText", "InvalidClassName", "InvalidInterfaceUnit",
                                        "FolderNotCreated", "ProjectExists"};
  static const char* const steps[] = {"CreateFolder", "ProbeFolder", "WriteFiles"};
  return std::visit(command::Overloaded{
                        [](const command::Generated&) { return std::string("generated"); },
                        [](const command::Refused& r) { return "refused " + std::string(reasons[static_cast<std::size_t>(r.reason)]); },
                        [](const command::Failed& f) { return "failed " + std::string(steps[f.step.index()]); },
                    },
                    outcome);
}

}  // namespace quillfern::testing
