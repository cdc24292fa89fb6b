#include "support/cli_support.h"

#include <sstream>

#include "cli/cli.h"

namespace quillfern::testing {

CliResult RunCliWith(std::vector<std::string> args, const std::optional<std::string>& sourceDateEpoch) {
  args.insert(args.begin(), "quillfern-cli");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err, sourceDateEpoch);
  return {status, out.str(), err.str()};
}

}  // namespace quillfern::testing
