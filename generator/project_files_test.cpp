// The file set. Whole files, for the combinations the golden tests cover,
// are compared there; these tests hold what those cannot see: the machine's
// values, the writing order, a fresh identifier each run and the calendar of
// a fixed moment.
#include "generator/project_files.h"

#include <cstdio>
#include <regex>

#include <gtest/gtest.h>

#include "generator/template_store.h"
#include "platform/program.h"
#include "support/test_support.h"

namespace quillfern::generator {
namespace {

using quillfern::testing::CrLfLines;
using quillfern::testing::ReadBytes;
using quillfern::testing::TempFolder;
using quillfern::testing::kFixedValues;

WizardSettings Excel2002() { return quillfern::testing::NewProjectSettings(1, 1); }

std::string Line(const TAddInUnit& file, std::size_t n) { return CrLfLines(file.Content).at(n - 1); }

TEST(ComposeProjectFiles, GivesTheSevenFilesInWritingOrder) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kFixedValues);
  const std::vector<std::string> names = quillfern::testing::ProjectFileNames("ExcelAddin1");
  ASSERT_EQ(files.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(files[i].FileName, names[i]);
  EXPECT_EQ(files[2].Content, LoadTemplate("OfficeAddinTlbFile"));
}

TEST(ComposeProjectFiles, LeavesNoPlaceholderInAnyTextFile) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kFixedValues);
  for (const auto& file : files) {
    if (file.FileName == "ExcelAddin1.tlb") continue;
    EXPECT_FALSE(std::regex_search(file.Content, std::regex("%[A-Z]+%"))) << file.FileName;
  }
}

TEST(ComposeProjectFiles, PutsTheMachineValuesWhereTheyBelong) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kFixedValues);
  EXPECT_EQ(Line(files[0], 13), "  C:\\Office\\EXCEL.EXE");
  EXPECT_EQ(Line(files[1], 2), "SearchPath=C:\\Tools\\LibraryFiles");
  EXPECT_EQ(Line(files[1], 5), "HostApplication=C:\\Office\\EXCEL.EXE");
  EXPECT_EQ(Line(files[3], 21), "  C:\\Office\\EXCEL.EXE");
  EXPECT_EQ(Line(files[3], 36), "  Class_AddInGUID: TGUID = '{11111111-2222-3333-4444-555555555555}';");
  EXPECT_EQ(Line(files[6], 1), "Generated on 09.12.2026 13:44:16 by \"Quillfern 1.0\"");
  EXPECT_EQ(Line(files[6], 26), "C:\\Office\\EXCEL.EXE");
}

TEST(ComposeProjectFiles, ReplacesInTheFixedOrderSoLaterPlaceholdersInValuesAreFilled) {
  WizardSettings s = Excel2002();
  s.FriendlyName = "%DESCRIPTION% for %OFFICEAPPNAME%";  // both come later in the unit's order
  s.Description = "%FRIENDLYNAME%";                       // comes earlier: stays as typed
  const ProjectFileSet files = ComposeProjectFiles(s, kFixedValues);
  EXPECT_EQ(Line(files[3], 119), "                             '%FRIENDLYNAME% for Excel',");
  EXPECT_EQ(Line(files[3], 121), "                             '%FRIENDLYNAME%',");
}

TEST(BuildProjectFiles, WarnsOnceWhenTheHostIsMissingAndStillBuildsEverything) {
  WizardSettings s = Excel2002();
  std::vector<std::pair<std::string, std::string>> warnings;
  const ProjectFileSet files =
      BuildProjectFiles(s, [&](const std::string& title, const std::string& text) { warnings.emplace_back(title, text); });
  ASSERT_EQ(files.size(), 7u);
  if (!platform::FindHostApplication("excel.exe").empty()) GTEST_SKIP() << "Excel is installed here";
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].first, "Office application not found");
  EXPECT_EQ(warnings[0].second,
            "It does not appear that you have Excel installed.\r\n"
            "You might not be able to run and debug the Add-In on this computer.");
  EXPECT_EQ(Line(files[1], 5), "HostApplication=");
}

// The calendar behind a moment the command line fixes: the leap days of the
// 4-, 100- and 400-year rules, a leap year's last second, and both ends of
// the range.
TEST(UtcDateTime, BreaksSecondsSince1970IntoTheGregorianCalendar) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "1970-01-01 00:00:00"},          {68212800, "1972-02-29 12:00:00"},
      {951868799, "2000-02-29 23:59:59"},  {978307199, "2000-12-31 23:59:59"},
      {1700000000, "2023-11-14 22:13:20"}, {4107542399, "2100-02-28 23:59:59"},
      {4107542400, "2100-03-01 00:00:00"}, {kLatestMoment, "9999-12-31 23:59:59"},
  };
  for (const auto& [seconds, expected] : cases) {
    const platform::LocalDateTime t = UtcDateTime(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    EXPECT_STREQ(text, expected) << seconds;
  }
}

// The read-me's date is in the files' code page or in figures every code
// page holds: never UTF-8 bytes in a file of another code page.
TEST(DateInCodePage, WritesTheRegionalTextWhereTheCodePageHoldsItAndFiguresElsewhere) {
  const platform::LocalDateTime evening{2023, 11, 14, 22, 13, 20}, midnight{2023, 11, 14, 0, 0, 0};
  const struct {
    const char* regional;
    platform::LocalDateTime when;
    unsigned codePage;
    const char* expected;
  } cases[] = {
      {"11/14/2023 10:13:20 PM", evening, 1252, "11/14/2023 10:13:20 PM"},
      {u8"2023年11月14日", midnight, 932, "2023\x94\x4E" "11\x8C\x8E" "14\x93\xFA"},
      {u8"2023年11月14日", midnight, 1252, "2023-11-14"},
      {u8"14.11.2023 в 22:13:20", evening, 1252, "2023-11-14 22:13:20"},
      {"\xFF not UTF-8", evening, 1252, "2023-11-14 22:13:20"},
      {"", evening, 1252, "2023-11-14 22:13:20"},
  };
  for (const auto& c : cases) EXPECT_EQ(DateInCodePage(c.regional, c.when, c.codePage), c.expected) << c.regional;
}

TEST(WriteFileSet, WritesEveryByteAndReplacesExistingFiles) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "Install.bat", std::string(5000, 'x'));
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kFixedValues);
  ASSERT_TRUE(WriteFileSet(files, dir.str()));
  for (const auto& file : files) EXPECT_EQ(ReadBytes(dir / file.FileName), file.Content) << file.FileName;
}

TEST(WriteProjectFiles, EachRunOverwritesTheLastWithAFreshWellFormedGuid) {
  const std::regex guid("'\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}'");
  TempFolder dir;
  std::string guids[2];
  for (std::string& found : guids) {
    ASSERT_TRUE(WriteProjectFiles(Excel2002(), dir.str(), nullptr));
    std::smatch m;
    const std::string unit = ReadBytes(dir / "Unit1.pas");
    EXPECT_TRUE(std::regex_search(unit, m, guid)) << "no class identifier in Unit1.pas";
    found = m.str();
  }
  EXPECT_NE(guids[0], guids[1]);
  EXPECT_EQ(quillfern::testing::ListTree(dir.path()).size(), 7u);
}

}  // namespace
}  // namespace quillfern::generator
