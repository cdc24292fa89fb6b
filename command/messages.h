// The words the Generate command's outcomes are shown in, the same in both
// front ends. A message holds "\n" between its lines; each front end turns
// that into its own line break.
#pragma once

#include <string>
#include <string_view>

#include "command/generate_command.h"
#include "command/input_checks.h"

namespace quillfern::command {

// The field as the dialog labels it: "Interface unit", "Friendly Name", ...
std::string_view FieldName(InputField field);

// The message that names the field and says what it cannot hold.
std::string TextProblemText(const TextProblem& problem);

// What a text holding a lone UTF-16 surrogate is told, for What (a field,
// or for the command line an argument): the code unit as given.
std::string LoneSurrogateText(const std::string& what, char32_t unit);

// The error a failed run ends with.
std::string FailureText(const Failed& failed);

// A dry run's report, one line each: the folders it would create, the
// files generating would write and the backups it would make, and what it
// did not try.
std::string PlanText(const Planned& plan);

// The text of an unexpected error as the user sees it: a full stop is added
// when the message ends in a character above ".".
std::string UnexpectedErrorText(const std::string& message);

}  // namespace quillfern::command
