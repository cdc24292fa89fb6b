// The file set. Whole files, for the combinations the golden tests cover,
// are compared there; these tests hold what those cannot see: the machine's
// values, the writing order, a fresh identifier each run and the calendar of
// a fixed moment.
#include "generator/project_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <regex>

#include <gtest/gtest.h>

#include "generator/project_identifiers.h"
#include "generator/template_store.h"
#include "platform/program.h"
#include "support/generator_support.h"

namespace quillfern::generator {
namespace {

using quillfern::testing::CrLfLines;
using quillfern::testing::ReadBytes;
using quillfern::testing::TempFolder;
using quillfern::testing::kFixedValues;
namespace fs = std::filesystem;

WizardSettings Excel2002() { return quillfern::testing::NewProjectSettings(1, 1); }

std::string Line(const TAddInUnit& file, std::size_t n) { return CrLfLines(file.Content).at(n - 1); }

TEST(ComposeProjectFiles, GivesTheSevenFilesInWritingOrder) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kFixedValues);
  const std::vector<std::string> names = quillfern::testing::ProjectFileNames("ExcelAddin1");
  ASSERT_EQ(files.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(files[i].FileName, names[i]);
  EXPECT_EQ(files[2].Content, LoadTemplate("OfficeAddinTlbFile"));
}

// True when Name stands in Text as a word of its own.
bool StandsAsWord(const std::string& text, const std::string& name) {
  const auto letter = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1))
    if ((at == 0 || !letter(text[at - 1])) && (at + name.size() == text.size() || !letter(text[at + name.size()])))
      return true;
  return false;
}

// The names the checks refuse for standing in the project are only as good
// as the templates: each must stand in the project source or the unit, as a
// word, for every host, hive and load behaviour.
TEST(ProjectIdentifiers, EveryNameTheProjectIsSaidToUseStandsInItsPascalSource) {
  for (std::size_t app = 0; app < 6; ++app) {
    for (const bool currentUser : {true, false}) {
      for (const int load : {0, 1, 2, 4, 8, 15}) {
        WizardSettings s = quillfern::testing::NewProjectSettings(app, 1);
        s.InstallForCurrentUser = currentUser;
        s.LoadConnected = load & 1, s.LoadBootLoad = load & 2, s.LoadDemandLoad = load & 4,
        s.LoadConnectFirstTime = load & 8;
        const ProjectFileSet files = ComposeProjectFiles(s, kFixedValues);
        const std::string pascal = files[0].Content + files[3].Content;  // the .dpr and Unit1.pas
        std::vector<std::string> names(ProjectSourceNames().begin(), ProjectSourceNames().end());
        names.insert(names.end(), AddInUnitUses().begin(), AddInUnitUses().end());
        for (const std::string& name : AddInUnitLookups(s)) names.push_back(name);
        for (const std::string& name : names) {
          if (name == "System") continue;  // every unit uses it without naming it
          EXPECT_TRUE(StandsAsWord(pascal, name)) << name << " for host " << app << (currentUser ? ", HKCU" : ", HKLM") << ", load " << load;
        }
      }
    }
  }
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
            "It does not appear that you have Excel installed.\n"
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

// What stood where the files go, and what is kept of it: a file of other
// bytes as its backup (an older backup replaced), never a file of the same
// bytes; links are replaced, not written through, at either name. A backup
// that cannot be made stops the write before that file is touched.
TEST(WriteFileSet, KeepsEachFileItChangesAsABackupOneGenerationDeep) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kFixedValues);
  std::map<std::string, std::string> same;
  for (const auto& file : files) same[file.FileName] = file.Content;
  const struct {
    const char* what;
    std::map<std::string, std::string> before;  // by name; empty bytes and a name ending in "/": a folder
    std::vector<std::string> linkedOut;         // of these, hard links to a file outside the folder
    std::vector<std::string> backups;
    const char* stopsAt = nullptr;  // the file whose backup cannot be made
  } cases[] = {
      {"an empty folder", {}, {}, {}},
      {"the same project", same, {}, {}},
      {"another project's files and an older backup",
       {{"Unit1.pas", "its unit"}, {"Unit1.~pas", "an older unit"}, {"Install.bat", std::string(5000, 'x')},
        {"Readme.txt", same["Readme.txt"]}, {"Unit2.pas", "the user's own"}},
       {},
       {"Unit1.~pas", "Install.~bat"}},
      {"a hard link at either name", {{"Unit1.pas", "precious"}, {"Readme.txt", "notes"}, {"Readme.~txt", "precious"}},
       {"Unit1.pas", "Readme.~txt"}, {"Unit1.~pas", "Readme.~txt"}},
      {"a folder at the backup name",
       {{"ExcelAddin1.dpr", "its source"}, {"Install.bat", "its install"}, {"Install.~bat/", ""}},
       {},
       {"ExcelAddin1.~dpr"},
       "Install.bat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder temp;
    const fs::path dir = temp.path() / "project", outside = temp.path() / "outside";
    fs::create_directory(dir);
    quillfern::testing::WriteBytes(outside, "precious");
    for (const auto& [name, bytes] : c.before) {
      if (name.back() == '/') fs::create_directory(dir / name);
      else if (std::count(c.linkedOut.begin(), c.linkedOut.end(), name)) fs::create_hard_link(outside, dir / name);
      else quillfern::testing::WriteBytes(dir / name, bytes);
    }
    WriteReport report;
    EXPECT_EQ(WriteFileSet(files, dir.u8string(), &report), c.stopsAt == nullptr);
    EXPECT_EQ(report.Backups, c.backups);
    EXPECT_EQ(report.BackupFailed, c.stopsAt != nullptr);
    std::set<std::string> expected;
    bool stopped = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string& name = files[i].FileName;
      stopped = stopped || (c.stopsAt && name == c.stopsAt);
      if (c.stopsAt && name == c.stopsAt) {
        EXPECT_EQ(report.FileName, name);
        EXPECT_EQ(report.FilesWritten, i);
        EXPECT_TRUE(report.Error) << "no reason";
      }
      const auto earlier = c.before.find(name);
      if (!stopped) {
        EXPECT_EQ(ReadBytes(dir / name), files[i].Content) << name;
        expected.insert(name);
      } else if (earlier != c.before.end()) {
        EXPECT_EQ(ReadBytes(dir / name), earlier->second) << name << " was touched";
      }
    }
    for (const std::string& backup : c.backups) {
      const std::string original = backup.substr(0, backup.find('~')) + backup.substr(backup.find('~') + 1);
      EXPECT_EQ(ReadBytes(dir / backup), c.before.at(original)) << backup;
      expected.insert(backup);
    }
    for (const auto& [name, bytes] : c.before) expected.insert(name);
    EXPECT_EQ(quillfern::testing::ListTree(dir), expected);
    EXPECT_EQ(ReadBytes(outside), "precious") << "written through a link";
  }
}

// Each run carries a new class identifier, so the unit changes and the run
// before is its backup; a file whose bytes stay (the read-me within the
// same second) gets none, and its backup, if any, stays from further back.
TEST(WriteProjectFiles, EachRunOverwritesTheLastWithAFreshGuidAndKeepsTheRunBefore) {
  const std::regex guid("'\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}'");
  const std::vector<std::string> names = quillfern::testing::ProjectFileNames("ExcelAddin1");
  TempFolder dir;
  std::map<std::string, std::string> previous, backups;
  std::set<std::string> guids;
  for (int run = 0; run < 3; ++run) {
    ASSERT_TRUE(WriteProjectFiles(Excel2002(), dir.str(), nullptr));
    std::smatch m;
    const std::string unit = ReadBytes(dir / "Unit1.pas");
    EXPECT_TRUE(std::regex_search(unit, m, guid)) << "no class identifier in Unit1.pas";
    guids.insert(m.str());
    for (const std::string& name : names) {
      const std::string now = ReadBytes(dir / name);
      if (run > 0 && now != previous[name]) backups[BackupName(name)] = previous[name];
      previous[name] = now;
    }
  }
  EXPECT_EQ(guids.size(), 3u);
  EXPECT_EQ(backups.count("Unit1.~pas"), 1u);
  std::set<std::string> expected(names.begin(), names.end());
  for (const auto& [backup, bytes] : backups) {
    EXPECT_EQ(ReadBytes(dir / backup), bytes) << backup;
    expected.insert(backup);
  }
  EXPECT_EQ(quillfern::testing::ListTree(dir.path()), expected);
}

}  // namespace
}  // namespace quillfern::generator
