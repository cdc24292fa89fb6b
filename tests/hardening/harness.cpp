#include "harness.h"

#include <sstream>

#include "catalogue/catalogue.h"
#include "cli/cli.h"

namespace quillfern::testing {

CliResult RunCliWith(std::vector<std::string> args) {
  args.insert(args.begin(), "quillfern-cli");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

generator::WizardSettings ExcelSettings(const std::string& folderText) {
  generator::WizardSettings s;
  s.TargetApp = 1;
  s.TargetVersion = 1;
  s.InterfaceUnitFile = catalogue::DefaultWrapperUnit(1, 1) + ".pas";
  s.FriendlyName = catalogue::DefaultFriendlyName(1);
  s.ClassName = catalogue::DefaultClassName(1);
  s.Description = catalogue::DefaultDescription(1, 1);
  s.OutputFolderText = folderText;
  return s;
}

const generator::ProjectValues kFixedValues{"{01234567-89AB-CDEF-0123-456789ABCDEF}", "",
                                            "LibraryFiles", "01/02/2003 04:05:06"};

std::string RecordingView::Outcome() const {
  for (auto it = said.rbegin(); it != said.rend(); ++it)
    if (it->rfind("error: ", 0) == 0 || it->rfind("info: ", 0) == 0) return *it;
  return {};
}

}  // namespace quillfern::testing
