// Whole generated projects, compared byte for byte with committed expected
// files. Only what differs between runs and machines is normalised: the
// class identifier, the date and the library search path.
#include <cstdlib>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "support/test_support.h"

namespace quillfern {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;

struct Scenario {
  const char* name;
  std::vector<std::string> args;
  const char* projectName;
};

std::string Normalise(std::string bytes, const std::string& fileName) {
  bytes = std::regex_replace(bytes, std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}"),
                             "{GUID}");
  if (fileName == "Readme.txt")
    bytes = std::regex_replace(bytes, std::regex("^Generated on [^\r\n]* by "), "Generated on <DATE> by ");
  if (fileName.size() > 4 && fileName.substr(fileName.size() - 4) == ".dof")
    bytes = std::regex_replace(bytes, std::regex("SearchPath=[^\r\n]*"), "SearchPath=<SEARCHPATH>");
  return bytes;
}

void PrintTo(const Scenario& scenario, std::ostream* os) { *os << scenario.name; }

class GoldenProject : public ::testing::TestWithParam<Scenario> {};

TEST_P(GoldenProject, MatchesTheExpectedFilesByteForByte) {
  const Scenario& scenario = GetParam();
  TempFolder dir;
  std::vector<std::string> args{"quillfern-cli", "-o", dir.str()};
  args.insert(args.end(), scenario.args.begin(), scenario.args.end());
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  ASSERT_EQ(cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err), 0) << err.str();

  const std::string p = scenario.projectName;
  const fs::path expected = fs::path(QUILLFERN_TEST_DATA) / scenario.name;
  const bool update = std::getenv("QUILLFERN_UPDATE_EXPECTED") != nullptr;
  if (update) fs::create_directories(expected);
  for (const std::string& file : {p + ".dpr", p + ".dof", p + ".tlb", std::string("Unit1.pas"),
                                 std::string("Install.bat"), std::string("Uninstall.bat"), std::string("Readme.txt")}) {
    const std::string actual = Normalise(ReadBytes(dir.path() / file), file);
    if (update) testing::WriteBytes(expected / file, actual);
    EXPECT_TRUE(testing::SameBytes(ReadBytes(expected / file), actual)) << scenario.name << "/" << file;
  }
  EXPECT_EQ(testing::ListTree(dir.path()).size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, GoldenProject,
    ::testing::Values(
        Scenario{"excel-2002-defaults", {"-a", "Excel", "-V", "2002/XP"}, "ExcelAddin1"},
        Scenario{"powerpoint-2000-hklm-all-flags-quotes",
                 {"-a", "powerpoint", "-V", "2000", "--install-in", "HKLM", "-l",
                  "connectfirsttime,demandload,bootload,connected", "-f", "Bob's 100% \"Tools\"", "-d",
                  "It's %DESCRIPTION% for %OFFICEAPPNAME%"},
                 "PowerPointAddin1"},
        Scenario{"word-2000-own-names-no-load",
                 {"-a", "Word", "-V", "2000", "-l", "none", "-c", "MyWordAddIn", "-u", "MyWord2000.PAS",
                  "-f", "", "-d", ""},
                 "MyWordAddIn"},
        Scenario{"word-2000-defaults", {"-a", "Word", "-V", "2000"}, "WordAddin1"}),
    [](const ::testing::TestParamInfo<Scenario>& param) {
      std::string name = param.param.name;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

}  // namespace
}  // namespace quillfern
