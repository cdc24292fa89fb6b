// The checks the Generate command makes of the user's texts before it
// touches anything: names that must be identifiers, and texts that must
// stand in the generated Pascal source as they were typed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "generator/wizard_settings.h"
#include "platform/paths.h"

namespace quillfern::command {

// The dialog's text boxes, in the dialog's keyboard order.
enum class InputField { InterfaceUnit, FriendlyName, ClassName, Description, OutputFolder };

// Why a text was refused before anything was touched.
struct TextProblem {
  enum class Kind {
    NotInCodePage,     // Character has no bytes of its own in the code page
    NotUtf8,           // the text the system gave is not valid UTF-8
    LoneSurrogate,     // Character is a UTF-16 surrogate without its other half, which is no character
    ControlCharacter,  // Character is a line break or another control character
    LiteralTooLong,    // longer than Limit characters in its string literal
    LineTooLong,       // it would make a generated line longer than Delphi reads
    // The output folder, and the paths of the project in it:
    NoFolder,          // the text names no folder (Name): "\\", "\\server", blanks
    NameTooLong,       // Name, a folder's or (for the class name) a file's, is Length long, past Limit
    PathTooLong,       // the longest path of the project, ending in the file Name, is Length long, past Limit
    EndsInBlankOrDot,  // Name ends in Character, a blank or a dot, which Windows would drop
    DeviceName,        // Name is one Windows keeps for a device
    RefusedCharacter,  // Name holds Character, which Windows takes in no name
    NotAName,          // Name ("", "." or "..") stands in a \\?\ path, which takes it as written
  };
  InputField field;
  Kind kind;
  char32_t character = 0;  // NotInCodePage, LoneSurrogate, ControlCharacter, EndsInBlankOrDot, RefusedCharacter
  unsigned codePage = 0;   // NotInCodePage
  std::size_t limit = 0;   // LiteralTooLong, LineTooLong: the most this field can hold; NameTooLong, PathTooLong
  std::string name = {};   // the folder's kinds: the name or text at fault
  std::size_t length = 0;  // NameTooLong, PathTooLong
  bool inBytes = false;    // NameTooLong, PathTooLong: counted in bytes, as POSIX counts, not in UTF-16 units
  bool operator==(const TextProblem& o) const {
    return field == o.field && kind == o.kind && character == o.character && codePage == o.codePage &&
           limit == o.limit && name == o.name && length == o.length && inBytes == o.inBytes;
  }
};

// Typed settings (texts in UTF-8) in the form the rest of the generation
// takes: the four texts in the settings' code page, CodePage filled in, the
// output folder as typed; or the first text, in field order, that does not
// convert exactly (no look-alike, no default character), or an output
// folder that names no path exactly (see platform::PathFromUtf8).
std::variant<generator::WizardSettings, TextProblem> EncodeSettings(const generator::WizardSettings& typed);

// The first text of Settings (in field order) that the generated files
// cannot carry as it is: a line break or other control character in the
// friendly name or description (it would end up raw inside a string
// literal), a friendly name or description longer than a literal may be,
// a class name that makes a file name (or a backup's) longer than 255, or a
// name that would make a line longer than Delphi reads. Nothing when all of
// them can. Settings' texts are in the files' code page.
std::optional<TextProblem> CheckTexts(const generator::WizardSettings& settings);

// The folder the project of Settings (its texts in the files' code page)
// goes into, in the one form every later step takes: checked, created,
// probed, written into and shown. It is the output folder text less its
// trailing separators, by Style's rules (platform/paths.h): on Windows a
// full path, a relative one taken against WorkingDirectory and a bare drive
// ("C:") for its root, with "\" and "/" both separators and runs of them as
// one. Empty for a folder text that names only the root of the file system
// ("\" or "/"), which leaves no folder to create. Or, before anything is
// made, the first reason the project cannot be written there: a text that
// names no folder; a name of the folder the system will not take (longer
// than 255, and on Windows a device name, a character it refuses, a blank or
// dot at the end outside a \\?\ path); or the longest path the project writes
// (the folder, a separator, and the longest of the seven names, their
// backup names and the writer's staging name) longer than the system takes
// (259 on Windows, 4095 bytes on POSIX).
std::variant<std::string, TextProblem> OutputFolder(const generator::WizardSettings& settings,
                                                     const std::string& workingDirectory, platform::PathStyle style);

// A letter or "_", then letters, digits or "_"; never empty, and never one of
// Object Pascal's reserved words (in any letter case).
bool IsValidIdentifier(std::string_view name);

// At least five characters, ending in ".pas" (any case) at the only place
// ".pas" occurs, before it a valid identifier.
bool IsValidUnitFileName(std::string_view name);

// A valid class name that still breaks the project of Settings, in any
// letter case: the name of a unit the project source uses or compiles, or
// of a routine it exports; a name whose class type (T + the name) hides one
// the add-in unit uses (the selected host's wrapper class among them); or
// the interface unit's name, unless the class name is the host's default
// (then the interface unit is the one to change, see below); or a name
// Windows keeps for a device (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to
// LPT9), since Windows 10 and earlier cannot create "Con.dpr" or "Nul.dll".
bool ClassNameBreaksProject(const generator::WizardSettings& settings);

// A valid interface unit file name whose unit breaks the add-in unit of
// Settings, in any letter case: a unit the add-in unit already uses (or
// itself), a name it takes from those units (a type, constant or routine,
// with those that follow from the host, the hive and the load behaviour),
// or the class name.
bool InterfaceUnitBreaksProject(const generator::WizardSettings& settings);

}  // namespace quillfern::command
