#include "generator/project_files.h"

#include <regex>

#include <gtest/gtest.h>

#include "generator/template_store.h"
#include "platform/probes.h"
#include "support/test_support.h"

namespace quillfern::generator {
namespace {

using quillfern::testing::CrLfLines;
using quillfern::testing::ReadBytes;
using quillfern::testing::TempFolder;

WizardSettings Excel2002() {
  WizardSettings s;
  s.TargetApp = 1;
  s.TargetVersion = 1;
  s.InterfaceUnitFile = "ExcelXP.pas";
  s.FriendlyName = "New Excel Add-In";
  s.ClassName = "ExcelAddin1";
  s.Description = "Microsoft Excel 2002/XP COM Add-In";
  return s;
}

const ProjectValues kValues{"{11111111-2222-3333-4444-555555555555}", "C:\\Office\\EXCEL.EXE",
                            "C:\\Tools\\LibraryFiles", "09.12.2026 13:44:16"};

std::string Line(const TAddInUnit& file, std::size_t n) { return CrLfLines(file.Content).at(n - 1); }

TEST(ComposeProjectFiles, GivesTheSevenFilesInWritingOrder) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kValues);
  const char* names[] = {"ExcelAddin1.dpr", "ExcelAddin1.dof", "ExcelAddin1.tlb", "Unit1.pas",
                         "Install.bat",     "Uninstall.bat",   "Readme.txt"};
  ASSERT_EQ(files.size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(files[i].FileName, names[i]);
  EXPECT_EQ(files[2].Content, LoadTemplate("OfficeAddinTlbFile"));
  EXPECT_EQ(Line(files[4], 5), "regsvr32.exe ExcelAddin1.dll");
  EXPECT_EQ(Line(files[5], 5), "regsvr32.exe /u ExcelAddin1.dll");
  EXPECT_EQ(Line(files[4], 3), "rem Install Excel 2002 COM Add-In");
}

TEST(ComposeProjectFiles, LeavesNoPlaceholderInAnyTextFile) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kValues);
  for (const auto& file : files) {
    if (file.FileName == "ExcelAddin1.tlb") continue;
    EXPECT_FALSE(std::regex_search(file.Content, std::regex("%[A-Z]+%"))) << file.FileName;
  }
}

TEST(ComposeProjectFiles, PutsTheMachineValuesWhereTheyBelong) {
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kValues);
  EXPECT_EQ(Line(files[0], 13), "  C:\\Office\\EXCEL.EXE");
  EXPECT_EQ(Line(files[1], 2), "SearchPath=C:\\Tools\\LibraryFiles");
  EXPECT_EQ(Line(files[1], 5), "HostApplication=C:\\Office\\EXCEL.EXE");
  EXPECT_EQ(Line(files[3], 21), "  C:\\Office\\EXCEL.EXE");
  EXPECT_EQ(Line(files[3], 36), "  Class_AddInGUID: TGUID = '{11111111-2222-3333-4444-555555555555}';");
  EXPECT_EQ(Line(files[6], 1), "Generated on 09.12.2026 13:44:16 by \"Quillfern 1.0\"");
  EXPECT_EQ(Line(files[6], 26), "C:\\Office\\EXCEL.EXE");
}

TEST(ComposeProjectFiles, AnEmptyHostPathLeavesOnlyTheIndentation) {
  ProjectValues values = kValues;
  values.HostPath.clear();
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), values);
  EXPECT_EQ(Line(files[0], 13), "  ");
  EXPECT_EQ(Line(files[1], 5), "HostApplication=");
  EXPECT_EQ(Line(files[3], 21), "  ");
  EXPECT_EQ(Line(files[6], 26), "");
}

TEST(ComposeProjectFiles, FillsTheUnitFromSettingsAndCatalogue) {
  WizardSettings s = Excel2002();
  s.TargetApp = 4;
  s.TargetVersion = 0;
  s.InterfaceUnitFile = "MyPpt.PAS";
  s.ClassName = "X";
  s.InstallForCurrentUser = false;
  s.LoadConnected = s.LoadBootLoad = false;
  s.LoadDemandLoad = s.LoadConnectFirstTime = true;
  const ProjectFileSet files = ComposeProjectFiles(s, kValues);
  const TAddInUnit& unit = files[3];
  EXPECT_EQ(files[0].FileName, "X.dpr");
  EXPECT_EQ(Line(unit, 32), "  OfficeAddins, MyPpt;");
  EXPECT_EQ(Line(unit, 40), "  TX = class(TComObject, IDispatch, IDTExtensibility2)");
  EXPECT_EQ(Line(unit, 42), "    FApplication: TPowerPointApplication;");
  EXPECT_EQ(Line(unit, 117), "                             TX,");
  EXPECT_EQ(Line(unit, 120), "                             'X',");
  EXPECT_EQ(Line(unit, 122), "                             AddinLoadDemandLoad or AddinLoadConnectFirstTime,");
  EXPECT_EQ(Line(unit, 123), "                             oaPowerPoint,");
  EXPECT_EQ(Line(unit, 124), "                             HKEY_LOCAL_MACHINE);");
  EXPECT_EQ(Line(unit, 4), "  wraps the functionality of PowerPoint 2000");
  EXPECT_EQ(Line(files[6], 15), "\"MyPpt\" in the uses clause of Unit1.pas with your own unit's name.");
}

TEST(ComposeProjectFiles, DoublesQuotesInTheUnitsLiteralsOnly) {
  WizardSettings s = Excel2002();
  s.FriendlyName = "Bob's Tools";
  s.Description = "It's 100% 'quoted'";
  const ProjectFileSet files = ComposeProjectFiles(s, kValues);
  EXPECT_EQ(Line(files[3], 119), "                             'Bob''s Tools',");
  EXPECT_EQ(Line(files[3], 121), "                             'It''s 100% ''quoted''',");
  EXPECT_EQ(files[6].Content.find("Bob"), std::string::npos) << "the read-me shows neither text";
}

TEST(ComposeProjectFiles, ReplacesInTheFixedOrderSoLaterPlaceholdersInValuesAreFilled) {
  WizardSettings s = Excel2002();
  s.FriendlyName = "%DESCRIPTION% for %OFFICEAPPNAME%";  // both come later in the unit's order
  s.Description = "%FRIENDLYNAME%";                       // comes earlier: stays as typed
  const ProjectFileSet files = ComposeProjectFiles(s, kValues);
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

TEST(BuildProjectFiles, CreatesAFreshWellFormedGuidEachRun) {
  const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  auto guidOf = [&](const ProjectFileSet& files) {
    std::smatch m;
    EXPECT_TRUE(std::regex_search(files[3].Content, m, guid));
    return m.str();
  };
  const auto first = guidOf(BuildProjectFiles(Excel2002(), nullptr));
  const auto second = guidOf(BuildProjectFiles(Excel2002(), nullptr));
  EXPECT_NE(first, second);
}

TEST(WriteFileSet, WritesEveryByteAndReplacesExistingFiles) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "Install.bat", std::string(5000, 'x'));
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kValues);
  ASSERT_TRUE(WriteFileSet(files, dir.str()));
  for (const auto& file : files) EXPECT_EQ(ReadBytes(dir / file.FileName), file.Content) << file.FileName;
  EXPECT_EQ(ReadBytes(dir / "ExcelAddin1.tlb").size(), 1032u);
}

TEST(WriteFileSet, StopsAtTheFirstFileThatCannotBeWrittenAndKeepsTheEarlierOnes) {
  TempFolder dir;
  std::filesystem::create_directory(dir.path() / "Install.bat");  // cannot be replaced by a file
  const ProjectFileSet files = ComposeProjectFiles(Excel2002(), kValues);
  EXPECT_FALSE(WriteFileSet(files, dir.str()));
  for (const char* written : {"ExcelAddin1.dpr", "ExcelAddin1.dof", "ExcelAddin1.tlb", "Unit1.pas"})
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / written)) << written;
  for (const char* skipped : {"Uninstall.bat", "Readme.txt"})
    EXPECT_FALSE(std::filesystem::exists(dir.path() / skipped)) << skipped;
}

TEST(WriteFileSet, FailsWhenTheFolderIsGone) {
  TempFolder dir;
  EXPECT_FALSE(WriteFileSet(ComposeProjectFiles(Excel2002(), kValues), dir / "missing"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

TEST(WriteProjectFiles, TwoRunsIntoOneFolderOverwriteWithANewGuid) {
  TempFolder dir;
  ASSERT_TRUE(WriteProjectFiles(Excel2002(), dir.str(), nullptr));
  const std::string first = ReadBytes(dir / "Unit1.pas");
  ASSERT_TRUE(WriteProjectFiles(Excel2002(), dir.str(), nullptr));
  const std::string second = ReadBytes(dir / "Unit1.pas");
  EXPECT_NE(first, second);
  EXPECT_EQ(first.size(), second.size());
  EXPECT_EQ(quillfern::testing::ListTree(dir.path()).size(), 7u);
}

}  // namespace
}  // namespace quillfern::generator
