// Whole generated projects, compared byte for byte with committed expected
// files. Only what differs between runs and machines is normalised: the
// class identifier, the date and the library search path.
#include <cstdlib>

#include <gtest/gtest.h>

#include "support/cli_support.h"

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

void PrintTo(const Scenario& scenario, std::ostream* os) { *os << scenario.name; }

class GoldenProject : public ::testing::TestWithParam<Scenario> {};

TEST_P(GoldenProject, MatchesTheExpectedFilesByteForByte) {
  const Scenario& scenario = GetParam();
  TempFolder dir;
  std::vector<std::string> args{"-o", dir.str()};
  args.insert(args.end(), scenario.args.begin(), scenario.args.end());
  const testing::CliResult r = testing::RunCliWith(args);
  ASSERT_EQ(r.status, 0) << r.err;

  const fs::path expected = fs::path(QUILLFERN_TEST_DATA) / scenario.name;
  const bool update = std::getenv("QUILLFERN_UPDATE_EXPECTED") != nullptr;
  if (update) fs::create_directories(expected);
  for (const std::string& file : testing::ProjectFileNames(scenario.projectName)) {
    const std::string actual = testing::Normalised(ReadBytes(dir.path() / file), file);
    if (update) testing::WriteBytes(expected / file, actual);
    EXPECT_TRUE(testing::SameBytes(ReadBytes(expected / file), actual)) << scenario.name << "/" << file;
  }
  EXPECT_EQ(testing::ListTree(dir.path()), testing::ProjectFileSet(scenario.projectName));
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, GoldenProject,
    ::testing::Values(
        // Long options; host, version, hive and load flags in any letter case,
        // the flags with blanks around the commas as lists are typed.
        Scenario{"excel-2002-defaults", {"--app", "EXCEL", "--office-version", "xp"}, "ExcelAddin1"},
        Scenario{"powerpoint-2000-hklm-all-flags-quotes",
                 {"-a", "powerpoint", "-V", "2000", "--install-in", "hklm", "-l",
                  "connectFirstTime, DemandLoad ,bootload,\tconnected", "-f", "Bob's 100% \"Tools\"", "-d",
                  "It's %DESCRIPTION% for %OFFICEAPPNAME%"},
                 "PowerPointAddin1"},
        Scenario{"word-2000-own-names-no-load",
                 {"-a", "Word", "-V", "2000", "-l", " none ", "-c", "MyWordAddIn", "-u", "MyWord2000.PAS",
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
