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

namespace quillfern::command {

// The dialog's text boxes, in the dialog's keyboard order.
enum class InputField { InterfaceUnit, FriendlyName, ClassName, Description, OutputFolder };

// Why a text was refused before anything was touched.
struct TextProblem {
  enum class Kind {
    NotInCodePage,     // Character has no bytes of its own in the code page
    NotUtf8,           // the text the system gave is not valid UTF-8
    ControlCharacter,  // Character is a line break or another control character
    LiteralTooLong,    // longer than Limit characters in its string literal
    LineTooLong,       // it would make a generated line longer than Delphi reads
  };
  InputField field;
  Kind kind;
  char32_t character = 0;  // NotInCodePage, ControlCharacter
  unsigned codePage = 0;   // NotInCodePage
  std::size_t limit = 0;   // LiteralTooLong, LineTooLong: the most this field can hold
  bool operator==(const TextProblem& o) const {
    return field == o.field && kind == o.kind && character == o.character && codePage == o.codePage &&
           limit == o.limit;
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
// or a name that would make a line longer than Delphi reads. Nothing when
// all of them can. Settings' texts are in the files' code page.
std::optional<TextProblem> CheckTexts(const generator::WizardSettings& settings);

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
// (then the interface unit is the one to change, see below).
bool ClassNameBreaksProject(const generator::WizardSettings& settings);

// A valid interface unit file name whose unit breaks the add-in unit of
// Settings, in any letter case: a unit the add-in unit already uses (or
// itself), a name it takes from those units (a type, constant or routine,
// with those that follow from the host, the hive and the load behaviour),
// or the class name.
bool InterfaceUnitBreaksProject(const generator::WizardSettings& settings);

}  // namespace quillfern::command
