// The command-line generator: the Generate command without a dialog.
#pragma once

#include <ostream>

namespace quillfern::cli {

// Exit statuses of quillfern-cli.
enum ExitStatus : int { kGenerated = 0, kCouldNotGenerate = 1, kInvalidInput = 2 };

// Parses the arguments, runs the Generate command, prints its messages
// (results to Out, warnings and errors to Err) and returns the exit status.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace quillfern::cli
