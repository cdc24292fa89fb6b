#include "command/messages.h"

#include <cstdio>
#include <vector>

#include "generator/project_identifiers.h"
#include "platform/files.h"
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

// A name as a message shows it: whole, or, past 40 characters, its first
// 24 and its last 12 around "...".
std::string Shortened(const std::string& name) {
  std::vector<std::size_t> starts;  // where each character begins
  for (std::size_t i = 0; i < name.size(); ++i)
    if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) starts.push_back(i);
  if (starts.size() <= 40) return name;
  return name.substr(0, starts[24]) + "..." + name.substr(starts[starts.size() - 12]);
}

// A name in quotes, shortened, each character that would not show (a tab,
// a line break) by its code.
std::string Quoted(const std::string& name) {
  const std::string shortened = Shortened(name);
  std::string shown;
  for (std::size_t at = 0; at < shortened.size();) {
    const platform::Decoded d = platform::DecodeUtf8(shortened, at);
    if (d.ok && IsInvisible(d.character)) shown += CodePoint(d.character);
    else shown.append(shortened, at, d.length);
    at += d.length;
  }
  return "\"" + shown + "\"";
}

// "262 characters" on Windows, which counts UTF-16 units; "4100 bytes" on POSIX.
std::string Counted(std::size_t length, bool inBytes) {
  return std::to_string(length) + (inBytes ? " bytes" : " characters");
}

// Who sets a limit of the folder's paths: Windows, or the POSIX system.
std::string System(bool inBytes) { return inBytes ? "the system" : "Windows"; }

std::string FolderProblemText(const TextProblem& p) {
  const std::string field(FieldName(p.field));
  switch (p.kind) {
    case TextProblem::Kind::NoFolder: return field + " " + Quoted(p.name) + " names no folder.";
    case TextProblem::Kind::NameTooLong:
      if (p.field == InputField::ClassName)
        return field + " is too long for a file name: " + Quoted(p.name) + " would be " + Counted(p.length, p.inBytes) +
               ", and " + System(p.inBytes) + " takes at most " + std::to_string(p.limit) + " in a name.";
      return field + " holds a name of " + Counted(p.length, p.inBytes) + ", " + Quoted(p.name) + ", and " +
             System(p.inBytes) + " takes at most " + std::to_string(p.limit) + " in a name.";
    case TextProblem::Kind::PathTooLong:
      return field + " is too long for this project: its longest path, ending in " + Quoted(p.name) + ", would be " +
             Counted(p.length, p.inBytes) + ", and " + System(p.inBytes) + " takes at most " +
             std::to_string(p.limit) + " in a path.";
    case TextProblem::Kind::EndsInBlankOrDot: {
      const std::string what = p.character == '.' ? "dot" : "blank";
      return field + " holds the name " + Quoted(p.name) + ", which ends in a " + what + "; Windows would drop the " +
             what + " and name another folder.";
    }
    case TextProblem::Kind::DeviceName:
      return field + " holds the name " + Quoted(p.name) + ", which Windows keeps for a device.";
    case TextProblem::Kind::RefusedCharacter:
      return field + " holds the name " + Quoted(p.name) + ", and Windows takes no " + CharacterAndCode(p.character) +
             " in a name.";
    case TextProblem::Kind::NotAName:
      return field + (p.name.empty() ? " holds an empty name (two backslashes in a row)" : " holds the name " + Quoted(p.name)) +
             ", which names no folder in a \\\\?\\ path, where every name is taken as written.";
    default: return field;
  }
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
    case TextProblem::Kind::LoneSurrogate: return LoneSurrogateText(field, p.character);
    case TextProblem::Kind::ControlCharacter:
      return field + " holds a line break or another control character (" + CodePoint(p.character) +
             "), which the generated unit cannot hold.";
    case TextProblem::Kind::LiteralTooLong:
      return field + " is too long: Delphi takes at most " + std::to_string(p.limit) +
             " characters in a string literal (a quote, or a double-byte character, counts as two).";
    case TextProblem::Kind::LineTooLong:
      return field + " is too long: Delphi takes at most " + std::to_string(generator::kMaxLineLength) +
             " characters in a line of source, which leaves " + std::to_string(p.limit) + " for it.";
    default: return FolderProblemText(p);
  }
}

std::string LoneSurrogateText(const std::string& what, char32_t unit) {
  return what + " holds " + CodePoint(unit) +
         ", half of a UTF-16 surrogate pair without its other half, which is no character.";
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

std::string PlanText(const Planned& plan) {
  const auto inFolder = [&](const std::string& name) { return plan.folder + platform::kPathDelimiter + name; };
  std::string text;
  if (!plan.foldersToCreate.empty()) text += "Dry run: the folder " + plan.folder + " would be created.\n";
  text += "Dry run: nothing was created or written. Generating would write:\n";
  for (const std::string& name : plan.fileNames) text += "  " + inFolder(name) + "\n";
  if (!plan.backups.empty()) {
    text += "and keep the files it would replace as backups:\n";
    for (const std::string& name : plan.backups) text += "  " + inFolder(name) + "\n";
  }
  if (!plan.leftovers.empty()) {
    text += "and first remove the staging files a cut-short run left:\n";
    for (const std::string& name : plan.leftovers) text += "  " + inFolder(name) + "\n";
  }
  text += "Not tried, since only writing shows them: the right to write in the folder and the room on its drive.\n";
  return text;
}

std::string UnexpectedErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace quillfern::command
