// quillfern-cli's entry on Linux and other POSIX systems. The arguments are
// the bytes the shell gave, UTF-8 on any current system.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "cli/cli.h"

int main(int argc, char** argv) {
  // A file-size limit (ulimit -f) would otherwise kill the process in the
  // middle of a file and leave it cut short under its real name; ignored,
  // the write fails, the partial file is removed and the failure reported.
  std::signal(SIGXFSZ, SIG_IGN);
  // A reader that has gone (| head -c0) is a write that fails, as on
  // Windows, and the exit status tells it; not a signal that ends the
  // program mid-run with nothing said.
  std::signal(SIGPIPE, SIG_IGN);
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  return quillfern::cli::RunCli(argc, argv, std::cout, std::cerr,
                                epoch ? std::optional<std::string>(epoch) : std::nullopt);
}
