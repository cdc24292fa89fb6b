// quillfern-cli check: why Office does not load an add-in, and what mends
// it. The check layer finds the facts; this front end turns them into a
// verdict line, the problems and their remedies, as text or as JSON.
#pragma once

#include <ostream>

#include "cli/options.h"

namespace quillfern::cli {

// Exit statuses of check (invalid arguments are 2, as for generating).
enum CheckStatus : int { kAllCanLoad = 0, kOneCannotLoad = 1, kCheckUnavailable = 2 };

// Runs the check, writes the report to Out (UTF-8) and returns the exit
// status. Where there is no Windows registry it says so on Err in one line
// and returns kCheckUnavailable.
int RunCheckCommand(const CheckRequest& request, std::ostream& out, std::ostream& err);

}  // namespace quillfern::cli
