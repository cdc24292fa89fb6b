// The command-line generator: the Generate command without a dialog.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace quillfern::cli {

// Exit statuses of quillfern-cli. kOutputFailed: the run did what was
// asked (the project is generated, the dry run passed, ...), but its own
// messages could not all be written (a full disk, a closed pipe); a run that
// failed keeps its own status.
enum ExitStatus : int { kGenerated = 0, kCouldNotGenerate = 1, kInvalidInput = 2, kOutputFailed = 3 };

// Parses the arguments, runs what they ask for, prints its messages
// (results to Out, warnings and errors to Err) and returns the exit status.
// SourceDateEpoch is the environment's SOURCE_DATE_EPOCH (UTF-8), nothing
// when it is not set.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           const std::optional<std::string>& sourceDateEpoch);

}  // namespace quillfern::cli
