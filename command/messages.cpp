#include "command/messages.h"

#include <cstdio>

#include "generator/project_identifiers.h"
#include "platform/utf8.h"

namespace quillfern::command {

namespace {

std::string CodePoint(char32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

// Characters that a message cannot show as themselves: controls, line and
// paragraph separators, and the invisible format characters (among them the
// ones that turn the direction of the text after them).
bool IsInvisible(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || c == 0x61C || c == 0x180E ||
         (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
         c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB) || (c >= 0xD800 && c <= 0xDFFF) ||
         (c >= 0xE0000 && c <= 0xE007F) || c > 0x10FFFF;
}

// The character as the user would know it, and its code: "〜 (U+301C)"; the
// code alone for one that would not show, or would upset the message.
std::string CharacterAndCode(char32_t c) {
  if (IsInvisible(c)) return CodePoint(c);
  std::string shown;
  platform::AppendUtf8(c, shown);
  return shown + " (" + CodePoint(c) + ")";
}

}  // namespace

std::string_view FieldName(InputField field) {
  switch (field) {
    case InputField::InterfaceUnit: return "Interface unit";
    case InputField::FriendlyName: return "Friendly Name";
    case InputField::ClassName: return "Class Name";
    case InputField::Description: return "Description";
    case InputField::OutputFolder: return "Output folder";
  }
  return "";
}

std::string TextProblemText(const TextProblem& p) {
  const std::string field(FieldName(p.field));
  switch (p.kind) {
    case TextProblem::Kind::NotInCodePage:
      return field + " holds a character that code page " + std::to_string(p.codePage) +
             " cannot hold: " + CharacterAndCode(p.character) + ".";
    case TextProblem::Kind::NotUtf8:
      return field + " is not valid UTF-8 text.";
    case TextProblem::Kind::ControlCharacter:
      return field + " holds a line break or another control character (" + CodePoint(p.character) +
             "), which the generated unit cannot hold.";
    case TextProblem::Kind::LiteralTooLong:
      return field + " is too long: Delphi takes at most " + std::to_string(p.limit) +
             " characters in a string literal (a quote, or a double-byte character, counts as two).";
    case TextProblem::Kind::LineTooLong:
      return field + " is too long: Delphi takes at most " + std::to_string(generator::kMaxLineLength) +
             " characters in a line of source, which leaves " + std::to_string(p.limit) + " for it.";
  }
  return field;
}

std::string FailureText(const Failed& failed) {
  return std::visit(Overloaded{
                        [](const Failed::CreateFolder&) { return "Unable to create output folder."; },
                        [](const Failed::ProbeFolder&) { return "Output folder is write protected."; },
                        [](const Failed::LockFolder& step) {
                          return step.busy ? "Another generation is writing into the output folder. Try again "
                                             "when it has finished."
                                           : "Unable to write project files.";
                        },
                        [](const Failed::WriteFiles&) { return "Unable to write project files."; },
                    },
                    failed.step);
}

std::string UnexpectedErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace quillfern::command
