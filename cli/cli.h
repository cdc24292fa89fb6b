// The command-line generator: the Generate command without a dialog.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace quillfern::cli {

// Exit statuses of quillfern-cli.
enum ExitStatus : int { kGenerated = 0, kCouldNotGenerate = 1, kInvalidInput = 2 };

// Parses the arguments, runs the Generate command, prints its messages
// (results to Out, warnings and errors to Err) and returns the exit status.
// SourceDateEpoch is the environment's SOURCE_DATE_EPOCH (UTF-8), nothing
// when it is not set.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           const std::optional<std::string>& sourceDateEpoch);

}  // namespace quillfern::cli
