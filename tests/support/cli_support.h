// The command-line generator run in this process, for the tests of the
// command-line front end and of what stands on it.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "support/generator_support.h"

namespace quillfern::testing {

struct CliResult {
  int status;
  std::string out, err;
};

// quillfern-cli with these arguments (UTF-8), run in this process, with
// SOURCE_DATE_EPOCH as given (unset by default, whatever this process has).
inline CliResult RunCliWith(std::vector<std::string> args,
                            const std::optional<std::string>& sourceDateEpoch = std::nullopt) {
  args.insert(args.begin(), "quillfern-cli");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err, sourceDateEpoch);
  return {status, out.str(), err.str()};
}

}  // namespace quillfern::testing
