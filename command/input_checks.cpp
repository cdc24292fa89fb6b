#include "command/input_checks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <vector>

#include "catalogue/catalogue.h"
#include "generator/project_files.h"
#include "platform/ascii.h"
#include "platform/code_page.h"

namespace quillfern::command {

namespace {

using generator::WizardSettings;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

// The names a generated project takes from elsewhere. The project source
// ("library <class name>;") uses ComServ and Unit1 and exports ComServ's
// four routines: a library named like one of them no longer finds it. One
// named like a unit compiled with the project (OfficeAddins, the interface
// unit) writes its object file over that unit's. (Windows' file names
// ignore case; where they do not, that clash shows in the same case only.)
constexpr std::string_view kProjectSourceNames[] = {
    "ComServ", "Unit1", "OfficeAddins", "DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
    "DllUnregisterServer"};
// Units the add-in unit uses, and itself: no unit can be used twice.
constexpr std::string_view kAddInUnitUses[] = {"System", "Windows", "Classes", "ComObj", "ActiveX",
                                               "SysUtils", "OfficeAddins", "ComServ", "Unit1"};
// What the add-in unit looks up in the units it uses, whatever the
// settings. A used unit of one of these names hides it there (the unit's
// name is found first), and so does the add-in's own class type.
constexpr std::string_view kAddInUnitLookups[] = {
    "TGUID", "TComObject", "TOfficeAddinFactory", "IDispatch", "IDTExtensibility2", "Integer",
    "HResult", "Pointer", "Word", "PSafeArray", "ext_ConnectMode", "ext_DisconnectMode", "_Application",
    "S_OK", "E_NOTIMPL", "FreeAndNil", "ComServer"};

bool SameName(std::string_view a, std::string_view b) { return platform::AsciiLower(a) == platform::AsciiLower(b); }

template <typename Names>
bool AnySameName(const Names& names, std::string_view name) {
  return std::any_of(std::begin(names), std::end(names), [&](std::string_view n) { return SameName(n, name); });
}

// Those lookups with the ones that follow from the settings: the host's
// wrapper class and kind, the registry root key and the load-behaviour
// names, as the add-in unit writes them.
std::vector<std::string> AddInUnitLookups(const WizardSettings& s) {
  std::vector<std::string> names(std::begin(kAddInUnitLookups), std::end(kAddInUnitLookups));
  const auto& app = catalogue::App(s.TargetApp);
  names.emplace_back(app.WrapperClassName);
  names.emplace_back(app.OfficeAppKind);
  names.push_back(generator::RootKeyIdentifier(s));
  const std::string load =
      catalogue::BuildLoadBehavior(s.LoadConnected, s.LoadBootLoad, s.LoadDemandLoad, s.LoadConnectFirstTime);
  for (std::size_t start = 0, end; start < load.size(); start = end + 1) {
    end = std::min(load.find(' ', start), load.size());
    if (load.compare(start, end - start, "or") != 0) names.push_back(load.substr(start, end - start));
  }
  return names;
}

// A text in a single-quoted literal: each quote is written twice.
std::size_t LiteralLength(const std::string& text) {
  return text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\''));
}

// The lengths of the lines of the project's Pascal files (.dpr and the
// unit), which Delphi's compiler reads, in order. The values that come from
// the machine are fixed: only the settings' share of a line matters here.
std::vector<std::size_t> PascalLineLengths(const WizardSettings& settings) {
  static const generator::ProjectValues kValues{std::string(38, '0'), "", "", ""};
  std::vector<std::size_t> lengths;
  for (const auto& file : generator::ComposeProjectFiles(settings, kValues)) {
    const std::string& name = file.FileName;
    if (name.size() < 4) continue;
    const std::string extension = platform::AsciiLower(name.substr(name.size() - 4));
    if (extension != ".dpr" && extension != ".pas") continue;
    std::size_t start = 0;
    for (std::size_t end; (end = file.Content.find("\r\n", start)) != std::string::npos; start = end + 2)
      lengths.push_back(end - start);
  }
  return lengths;
}

// The longest a name can be before some Pascal line grows past Delphi's
// limit. Each line's length is its fixed part plus the name's length times
// the times it stands there, so two compositions (a name of 0 and of 1
// character) give both for every line.
std::size_t LongestName(WizardSettings settings, void (*setLength)(WizardSettings&, std::size_t)) {
  setLength(settings, 0);
  const std::vector<std::size_t> without = PascalLineLengths(settings);
  setLength(settings, 1);
  const std::vector<std::size_t> with = PascalLineLengths(settings);
  std::size_t longest = std::numeric_limits<std::size_t>::max();
  for (std::size_t i = 0; i < without.size() && i < with.size(); ++i) {
    const std::size_t times = with[i] - without[i];
    if (times > 0) longest = std::min(longest, (kMaxLineLength - std::min(without[i], kMaxLineLength)) / times);
  }
  return longest;
}

void SetClassNameLength(WizardSettings& s, std::size_t n) { s.ClassName.assign(n, 'A'); }
void SetUnitNameLength(WizardSettings& s, std::size_t n) { s.InterfaceUnitFile = std::string(n, 'A') + ".pas"; }

std::optional<TextProblem> CheckFreeText(InputField field, const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // Every byte below 0x80 is a character of its own in every Windows code
    // page (trail bytes of double-byte characters are 0x40 and above).
    if (byte < 0x20 || byte == 0x7F) return TextProblem{field, TextProblem::Kind::ControlCharacter, byte};
  }
  if (LiteralLength(text) > kMaxLiteralLength)
    return TextProblem{field, TextProblem::Kind::LiteralTooLong, 0, 0, kMaxLiteralLength};
  return std::nullopt;
}

// A name longer than the longest its lines allow; checked only once a line
// is known to be too long, since working out the limit takes two builds.
std::optional<TextProblem> CheckNameLength(InputField field, std::size_t length, const WizardSettings& settings,
                                           void (*setLength)(WizardSettings&, std::size_t)) {
  const std::size_t longest = LongestName(settings, setLength);
  if (length <= longest) return std::nullopt;
  return TextProblem{field, TextProblem::Kind::LineTooLong, 0, 0, longest};
}

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

std::string Utf8(char32_t c) {
  std::string bytes;
  if (c < 0x80) {
    bytes += static_cast<char>(c);
  } else if (c < 0x800) {
    bytes += static_cast<char>(0xC0 | (c >> 6));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    bytes += static_cast<char>(0xE0 | (c >> 12));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (c >> 18));
    bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  }
  return bytes;
}

// The character as the user would know it, and its code: "〜 (U+301C)"; the
// code alone for one that would not show, or would upset the message.
std::string CharacterAndCode(char32_t c) {
  return IsInvisible(c) ? CodePoint(c) : Utf8(c) + " (" + CodePoint(c) + ")";
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
      return field + " is too long: Delphi takes at most " + std::to_string(kMaxLineLength) +
             " characters in a line of source, which leaves " + std::to_string(p.limit) + " for it.";
  }
  return field;
}

std::variant<WizardSettings, TextProblem> EncodeSettings(const WizardSettings& typed) {
  WizardSettings encoded = typed;
  encoded.CodePage = typed.CodePage ? typed.CodePage : platform::DefaultCodePage();
  const auto problem = [](InputField field, const platform::Conversion& c, unsigned codePage) {
    if (c.result == platform::Conversion::Result::NotUtf8) return TextProblem{field, TextProblem::Kind::NotUtf8};
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
    return problem(InputField::OutputFolder, folder, platform::DefaultCodePage());
  return encoded;
}

std::optional<TextProblem> CheckTexts(const WizardSettings& s) {
  const std::vector<std::size_t> lines = PascalLineLengths(s);
  const bool lineTooLong = !lines.empty() && *std::max_element(lines.begin(), lines.end()) > kMaxLineLength;
  const std::size_t unitName = generator::InterfaceUnitName(s).size();

  if (lineTooLong)
    if (auto p = CheckNameLength(InputField::InterfaceUnit, unitName, s, SetUnitNameLength)) return p;
  if (auto p = CheckFreeText(InputField::FriendlyName, s.FriendlyName)) return p;
  if (lineTooLong)
    if (auto p = CheckNameLength(InputField::ClassName, s.ClassName.size(), s, SetClassNameLength)) return p;
  if (auto p = CheckFreeText(InputField::Description, s.Description)) return p;
  return std::nullopt;
}

bool IsValidIdentifier(std::string_view name) {
  if (name.empty() || !(IsLetter(name[0]) || name[0] == '_')) return false;
  for (char c : name.substr(1))
    if (!(IsLetter(c) || IsDigit(c) || c == '_')) return false;
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
  if (AnySameName(kProjectSourceNames, name) || AnySameName(AddInUnitLookups(s), "T" + name)) return true;
  // Reverting to the default must settle a clash with the interface unit,
  // so with the default class name it is the unit that is refused.
  return IsValidUnitFileName(s.InterfaceUnitFile) && SameName(name, generator::InterfaceUnitName(s)) &&
         name != catalogue::DefaultClassName(s.TargetApp);
}

bool InterfaceUnitBreaksProject(const WizardSettings& s) {
  const std::string name = generator::InterfaceUnitName(s);
  return AnySameName(kAddInUnitUses, name) || AnySameName(AddInUnitLookups(s), name) || SameName(name, s.ClassName);
}

}  // namespace quillfern::command
