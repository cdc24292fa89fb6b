// The command line read into what it asks for. Parsing decides nothing the
// Generate command decides: it only turns words into settings, and says
// which words it could not take.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "generator/machine_values.h"
#include "generator/wizard_settings.h"

namespace quillfern::cli {

// What a run of quillfern-cli has to go on besides its arguments.
struct Environment {
  std::optional<std::string> sourceDateEpoch;  // SOURCE_DATE_EPOCH (UTF-8), nothing when not set
  std::string workingDirectory;                // the default output folder
};

// Generate a project (the default), or only run its checks (--dry-run).
struct GenerateRequest {
  generator::WizardSettings settings;   // texts exactly as given (UTF-8); CodePage 0 unless --code-page
  generator::FixedMachineValues fixed;  // --class-id and SOURCE_DATE_EPOCH
  bool force = false;                   // --force: an existing project is replaced
  bool dryRun = false;                  // --dry-run
};

// Say why Office would not load an add-in ("check").
struct CheckRequest {
  std::optional<std::size_t> appRow;  // -a: one host (row of catalogue::OfficeApps); every host when empty
  std::optional<std::string> progId;  // -c ClassName gives "AddinLib.ClassName"; --prog-id ID as given
  bool json = false;                  // --json
};

// Print the hosts and versions (--list).
struct ListRequest {};

// Print a text and end (--help, --version).
struct TextRequest {
  std::string text;
};

using Request = std::variant<GenerateRequest, CheckRequest, ListRequest, TextRequest>;

// Arguments that could not be taken; the run ends with exit status 2.
struct ArgumentError {
  std::string text;         // without "error: "
  bool pointToHelp = false;  // the option parser's own complaint: the usage is what to read next
};

// Arguments (without the program's name, UTF-8) as a request, or the first
// thing wrong with them.
std::variant<Request, ArgumentError> ParseArguments(const std::vector<std::string>& arguments,
                                                    const Environment& environment);

}  // namespace quillfern::cli
