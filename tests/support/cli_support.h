// The command-line generator run in this process.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace quillfern::testing {

struct CliResult {
  int status;
  std::string out, err;
};

// quillfern-cli with these arguments (UTF-8), run in this process, with
// SOURCE_DATE_EPOCH as given (unset by default, whatever this process has).
CliResult RunCliWith(std::vector<std::string> args, const std::optional<std::string>& sourceDateEpoch = std::nullopt);

}  // namespace quillfern::testing
