#include "wizard/generate_command.h"

#include <algorithm>
#include <array>

#include "catalogue/catalogue.h"
#include "platform/probes.h"

namespace quillfern::wizard {

namespace {

constexpr MessageOffset kRevertAt{50, 200};
constexpr MessageOffset kFolderAt{80, 200};
constexpr MessageOffset kOverwriteAt{70, 200};
constexpr MessageOffset kSuccessAt{30, 200};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), ToLower);
  return std::binary_search(kReservedWords.begin(), kReservedWords.end(), std::string_view(lower));
}

// Offers to put the default back into an invalid box; the focus goes there
// whatever the answer.
void OfferRevert(GenerateView& view, Question question, const std::string& text,
                 InputField field, const std::string& defaultText) {
  if (view.AskYesNo(question, text, kRevertAt)) view.SetFieldText(field, defaultText);
  view.FocusField(field);
}

}  // namespace

std::string OutputFolder(const std::string& folderText) {
  if (!folderText.empty() && folderText.back() == platform::kPathDelimiter)
    return folderText.substr(0, folderText.size() - 1);
  return folderText;
}

bool IsValidIdentifier(std::string_view name) {
  if (name.empty() || !(IsLetter(name[0]) || name[0] == '_')) return false;
  for (char c : name.substr(1))
    if (!(IsLetter(c) || IsDigit(c) || c == '_')) return false;
  return !IsReservedWord(name);
}

bool IsValidUnitFileName(std::string_view name) {
  if (name.size() < 5) return false;
  std::string upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  const std::size_t pos = upper.find(".PAS");
  if (pos == std::string::npos || pos == 0 || pos != name.size() - 4) return false;
  return IsValidIdentifier(name.substr(0, pos));
}

void RunGenerateCommand(GenerateView& view, const ProjectWriter& write) {
  const WizardSettings settings = view.ReadSettings();
  const std::string folder = OutputFolder(settings.OutputFolderText);

  if (!IsValidIdentifier(settings.ClassName)) {
    OfferRevert(view, Question::RevertClassName,
                "Class Name is not valid identifier.\rWould you like to revert it to default value?",
                InputField::ClassName, catalogue::DefaultClassName(settings.TargetApp));
    return;
  }
  if (!IsValidUnitFileName(settings.InterfaceUnitFile)) {
    OfferRevert(view, Question::RevertInterfaceUnit,
                "Interface unit name is not valid.\rWould you like to revert it to default value?",
                InputField::InterfaceUnit,
                catalogue::DefaultWrapperUnit(settings.TargetApp, settings.TargetVersion) + ".pas");
    return;
  }
  if (!platform::FolderExists(folder + platform::kPathDelimiter) &&
      !view.AskYesNo(Question::CreateOutputFolder,
                     "Output folder not found.\rWould you like to create it?", kFolderAt)) {
    return;
  }
  if (!platform::CreateFolderPath(folder)) {
    view.ShowError("Unable to create output folder.", kFolderAt);
    return;
  }
  if (platform::IsFolderWriteProtected(folder)) {
    view.ShowError("Output folder is write protected.", kFolderAt);
    return;
  }
  const std::string projectSource = folder + platform::kPathDelimiter + settings.ClassName + ".dpr";
  if (platform::FileExists(projectSource) &&
      !view.AskYesNo(Question::OverwriteProject,
                     "Project alreary exists.\rAre you sure you want to overwrite it?",
                     kOverwriteAt)) {
    return;
  }
  const generator::WarningHook warn = [&view](const std::string& title, const std::string& text) {
    view.ShowWarning(title, text);
  };
  if (write(settings, folder, warn)) {
    view.ShowInformation(catalogue::SuccessMessage(settings.TargetApp, settings.TargetVersion),
                         kSuccessAt);
  } else {
    view.ShowError("Unable to write project files.", kFolderAt);
  }
}

std::string UnexpectedErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace quillfern::wizard
