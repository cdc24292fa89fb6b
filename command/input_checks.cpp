#include "command/input_checks.h"

#include <algorithm>
#include <array>
#include <vector>

#include "catalogue/catalogue.h"
#include "generator/project_files.h"
#include "generator/project_identifiers.h"
#include "generator/project_writer.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace quillfern::command {

namespace {

using generator::WizardSettings;

// Delphi's reserved words: the class name becomes the library's name
// ("library begin;") and the interface unit's name stands in a uses clause,
// where none of these can stand. Directives (register, name, message, ...)
// are not reserved there and stay valid names. Sorted, lower case.
constexpr std::array<std::string_view, 65> kReservedWords = {
    "and",      "array",          "as",        "asm",            "begin",     "case",
    "class",    "const",          "constructor", "destructor",   "dispinterface", "div",
    "do",       "downto",         "else",      "end",            "except",    "exports",
    "file",     "finalization",   "finally",   "for",            "function",  "goto",
    "if",       "implementation", "in",        "inherited",      "initialization", "inline",
    "interface", "is",            "label",     "library",        "mod",       "nil",
    "not",      "object",         "of",        "or",             "out",       "packed",
    "procedure", "program",       "property",  "raise",          "record",    "repeat",
    "resourcestring", "set",      "shl",       "shr",            "string",    "then",
    "threadvar", "to",            "try",       "type",           "unit",      "until",
    "uses",     "var",            "while",     "with",           "xor"};

bool IsReservedWord(std::string_view name) {
  return std::binary_search(kReservedWords.begin(), kReservedWords.end(),
                            std::string_view(platform::AsciiLower(name)));
}

template <typename Names>
bool AnySameName(const Names& names, std::string_view name) {
  return std::any_of(std::begin(names), std::end(names),
                     [&](std::string_view n) { return platform::SameIgnoringAsciiCase(n, name); });
}

// A text in a single-quoted literal: each quote is written twice.
std::size_t LiteralLength(const std::string& text) {
  return text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\''));
}

std::optional<TextProblem> CheckFreeText(InputField field, const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // Every byte below 0x80 is a character of its own in every Windows code
    // page (trail bytes of double-byte characters are 0x40 and above).
    if (byte < 0x20 || byte == 0x7F) return TextProblem{field, TextProblem::Kind::ControlCharacter, byte};
  }
  if (LiteralLength(text) > generator::kMaxLiteralLength)
    return TextProblem{field, TextProblem::Kind::LiteralTooLong, 0, 0, generator::kMaxLiteralLength};
  return std::nullopt;
}

// A name longer than the longest its lines allow; checked only once a line
// is known to be too long, since working out the limit takes two builds.
std::optional<TextProblem> CheckNameLength(InputField field, std::size_t length, const WizardSettings& settings,
                                           std::size_t (*longestName)(const WizardSettings&)) {
  const std::size_t longest = longestName(settings);
  if (length <= longest) return std::nullopt;
  return TextProblem{field, TextProblem::Kind::LineTooLong, 0, 0, longest};
}

// A name the folder's path rules refused, as the output folder's problem.
TextProblem FolderNameProblem(const platform::NameProblem& p, platform::PathStyle style) {
  using Kind = platform::NameProblem::Kind;
  TextProblem problem{InputField::OutputFolder, TextProblem::Kind::NameTooLong};
  problem.name = p.name;
  switch (p.kind) {
    case Kind::TooLong:
      problem.length = p.length;
      problem.limit = platform::kMaxNameLength;
      problem.inBytes = style == platform::PathStyle::Posix;
      break;
    case Kind::Character: problem.kind = TextProblem::Kind::RefusedCharacter; break;
    case Kind::EndsInBlankOrDot: problem.kind = TextProblem::Kind::EndsInBlankOrDot; break;
    case Kind::Device: problem.kind = TextProblem::Kind::DeviceName; break;
    case Kind::NotAName: problem.kind = TextProblem::Kind::NotAName; break;
  }
  problem.character = p.character;
  return problem;
}

// The longest name the project puts into its folder: one of its files, a
// backup of one, the writer's staging name or the lock's file. They are
// ASCII (the class name is an identifier), the same length on every system.
std::string LongestNameInFolder(const WizardSettings& s) {
  std::string longest = "~qf" + std::string(generator::kStagingNameLength - 7, 'X') + ".tmp";
  if (std::string_view(platform::kLockFileName).size() > longest.size()) longest = platform::kLockFileName;
  for (const std::string& name : generator::ProjectFileNames(s.ClassName))
    for (const std::string& candidate : {name, generator::BackupName(name)})
      if (candidate.size() > longest.size()) longest = candidate;
  return longest;
}

// A class name that makes a file name, or a backup's, longer than a folder
// entry can be.
std::optional<TextProblem> CheckFileNames(const WizardSettings& s) {
  const std::string longest = LongestNameInFolder(s);
  if (longest.size() <= platform::kMaxNameLength) return std::nullopt;
  return TextProblem{InputField::ClassName, TextProblem::Kind::NameTooLong, 0, 0, platform::kMaxNameLength,
                     longest, longest.size()};
}

}  // namespace

std::variant<WizardSettings, TextProblem> EncodeSettings(const WizardSettings& typed) {
  WizardSettings encoded = typed;
  encoded.CodePage = generator::FilesCodePage(typed);
  const auto problem = [](InputField field, const platform::Conversion& c, unsigned codePage) {
    if (c.result == platform::Conversion::Result::NotUtf8) return TextProblem{field, TextProblem::Kind::NotUtf8};
    if (c.result == platform::Conversion::Result::LoneSurrogate)
      return TextProblem{field, TextProblem::Kind::LoneSurrogate, c.character};
    return TextProblem{field, TextProblem::Kind::NotInCodePage, c.character, codePage};
  };
  const std::pair<InputField, std::string WizardSettings::*> texts[] = {
      {InputField::InterfaceUnit, &WizardSettings::InterfaceUnitFile},
      {InputField::FriendlyName, &WizardSettings::FriendlyName},
      {InputField::ClassName, &WizardSettings::ClassName},
      {InputField::Description, &WizardSettings::Description},
  };
  for (const auto& [field, text] : texts) {
    platform::Conversion c = platform::ToCodePage(typed.*text, encoded.CodePage);
    if (c.result != platform::Conversion::Result::Exact) return problem(field, c, encoded.CodePage);
    encoded.*text = std::move(c.bytes);
  }
  // The folder is not in the files: it stays as typed, and only text that
  // could name no folder exactly (malformed UTF-8 on Windows) is refused.
  const platform::Conversion folder = platform::PathFromUtf8(typed.OutputFolderText);
  if (folder.result != platform::Conversion::Result::Exact)
    return problem(InputField::OutputFolder, folder, encoded.CodePage);
  return encoded;
}

std::optional<TextProblem> CheckTexts(const WizardSettings& s) {
  const std::vector<std::size_t> lines = generator::PascalLineLengths(s);
  const bool lineTooLong =
      !lines.empty() && *std::max_element(lines.begin(), lines.end()) > generator::kMaxLineLength;
  const std::size_t unitName = generator::InterfaceUnitName(s).size();

  if (lineTooLong)
    if (auto p = CheckNameLength(InputField::InterfaceUnit, unitName, s, generator::LongestInterfaceUnitName))
      return p;
  if (auto p = CheckFreeText(InputField::FriendlyName, s.FriendlyName)) return p;
  if (auto p = CheckFileNames(s)) return p;
  if (lineTooLong)
    if (auto p = CheckNameLength(InputField::ClassName, s.ClassName.size(), s, generator::LongestClassName)) return p;
  if (auto p = CheckFreeText(InputField::Description, s.Description)) return p;
  return std::nullopt;
}

std::variant<std::string, TextProblem> OutputFolder(const WizardSettings& s, const std::string& workingDirectory,
                                                     platform::PathStyle style) {
  using platform::PathStyle;
  const std::string& text = s.OutputFolderText;
  if (text.empty() || (text.size() == 1 && platform::IsSeparator(text[0], style))) return std::string();
  const platform::PathParts typed = platform::SplitPath(text, style);
  if (typed.root == platform::PathParts::Root::None)
    return TextProblem{InputField::OutputFolder, TextProblem::Kind::NoFolder, 0, 0, 0, text};
  const platform::PathParts full =
      platform::FullPath(typed, platform::SplitPath(workingDirectory, style), style);
  if (const auto bad = platform::FirstBadName(full, style)) return FolderNameProblem(*bad, style);
  std::string folder = platform::JoinPath(full, style);
  if (folder.empty()) return folder;

  const bool inBytes = style == PathStyle::Posix;
  const std::string longestName = LongestNameInFolder(s);
  const std::string longestPath = folder + (style == PathStyle::Windows ? '\\' : '/') + longestName;
  if (const std::size_t length = platform::PathLength(longestPath, style); length > platform::MaxPathLength(style))
    return TextProblem{InputField::OutputFolder, TextProblem::Kind::PathTooLong, 0, 0, platform::MaxPathLength(style),
                       longestName, length, inBytes};
  return folder;
}

bool IsValidIdentifier(std::string_view name) {
  if (name.empty() || !(platform::IsAsciiLetter(name[0]) || name[0] == '_')) return false;
  for (char c : name.substr(1))
    if (!(platform::IsAsciiLetter(c) || platform::IsAsciiDigit(c) || c == '_')) return false;
  return !IsReservedWord(name);
}

bool IsValidUnitFileName(std::string_view name) {
  if (name.size() < 5) return false;
  const std::size_t pos = platform::AsciiUpper(name).find(".PAS");
  if (pos == std::string::npos || pos == 0 || pos != name.size() - 4) return false;
  return IsValidIdentifier(name.substr(0, pos));
}

bool ClassNameBreaksProject(const WizardSettings& s) {
  const std::string& name = s.ClassName;
  if (AnySameName(generator::ProjectSourceNames(), name) || AnySameName(generator::AddInUnitLookups(s), "T" + name) ||
      platform::IsDeviceName(name))
    return true;
  // Reverting to the default must settle a clash with the interface unit,
  // so with the default class name it is the unit that is refused.
  return IsValidUnitFileName(s.InterfaceUnitFile) && platform::SameIgnoringAsciiCase(name, generator::InterfaceUnitName(s)) &&
         name != catalogue::DefaultClassName(s.TargetApp);
}

bool InterfaceUnitBreaksProject(const WizardSettings& s) {
  const std::string name = generator::InterfaceUnitName(s);
  return AnySameName(generator::AddInUnitUses(), name) || AnySameName(generator::AddInUnitLookups(s), name) ||
         platform::SameIgnoringAsciiCase(name, s.ClassName);
}

}  // namespace quillfern::command
