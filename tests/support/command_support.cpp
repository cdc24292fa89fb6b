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

std::string RecordingView::Outcome() const {
  for (auto it = log.rbegin(); it != log.rend(); ++it)
    if (it->rfind("error ", 0) == 0 || it->rfind("info ", 0) == 0) return *it;
  return {};
}

}  // namespace quillfern::testing
