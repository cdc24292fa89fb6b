#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

namespace quillfern::catalogue {
namespace {

TEST(Catalogue, ListsTheSixHostsInOrderWithTheirKindsExecutablesAndWrappers) {
  const char* expected[][5] = {
      {"oaAccess", "Access", "msaccess.exe", "TAccessApplication", "Access"},
      {"oaExcel", "Excel", "excel.exe", "TExcelApplication", "Excel"},
      {"oaFrontPage", "FrontPage", "frontpg.exe", "TFrontPageApplication", "FrontPage"},
      {"oaOutlook", "Outlook", "outlook.exe", "TOutlookApplication", "Outlook"},
      {"oaPowerPoint", "MSPpt", "powerpnt.exe", "TPowerPointApplication", "PowerPoint"},
      {"oaWord", "Word", "winword.exe", "TWordApplication", "Word"},
  };
  ASSERT_EQ(OfficeApps.size(), 6u);
  for (std::size_t row = 0; row < 6; ++row) {
    const auto& app = OfficeApps[row];
    EXPECT_EQ(app.OfficeAppKind, expected[row][0]) << "row " << row;
    EXPECT_EQ(app.WrapperUnitPrefix, expected[row][1]) << "row " << row;
    EXPECT_EQ(app.ExeName, expected[row][2]) << "row " << row;
    EXPECT_EQ(app.WrapperClassName, expected[row][3]) << "row " << row;
    EXPECT_EQ(app.DisplayName, expected[row][4]) << "row " << row;
  }
  EXPECT_EQ(static_cast<int>(OfficeAppKind::oaWord), 5);
}

TEST(Catalogue, ListsTheTwoVersionsWithNumbersAndSuffixes) {
  ASSERT_EQ(OfficeVersions.size(), 2u);
  EXPECT_EQ(OfficeVersions[0].VersionKind, 0);
  EXPECT_EQ(OfficeVersions[0].VersionName, "2000");
  EXPECT_EQ(OfficeVersions[0].VersionNumber, 2000);
  EXPECT_EQ(OfficeVersions[0].WrapperUnitSuffix, "2000");
  EXPECT_EQ(OfficeVersions[1].VersionKind, 1);
  EXPECT_EQ(OfficeVersions[1].VersionName, "2002/XP");
  EXPECT_EQ(OfficeVersions[1].VersionNumber, 2002);
  EXPECT_EQ(OfficeVersions[1].WrapperUnitSuffix, "XP");
}

struct DefaultsCase {
  std::size_t app, version;
  const char *friendly, *className, *description, *wrapper, *pickerTitle, *success;
};

TEST(Catalogue, DerivesEveryDefaultTextFromASelection) {
  const DefaultsCase cases[] = {
      {0, 0, "New Access Add-In", "AccessAddin1", "Microsoft Access 2000 COM Add-In", "Access2000",
       "Select Interface unit for Access 2000", "Access 2000 COM Add-In generated successfully."},
      {1, 1, "New Excel Add-In", "ExcelAddin1", "Microsoft Excel 2002/XP COM Add-In", "ExcelXP",
       "Select Interface unit for Excel 2002/XP", "Excel 2002 COM Add-In generated successfully."},
      {2, 1, "New FrontPage Add-In", "FrontPageAddin1", "Microsoft FrontPage 2002/XP COM Add-In",
       "FrontPageXP", "Select Interface unit for FrontPage 2002/XP",
       "FrontPage 2002 COM Add-In generated successfully."},
      {3, 0, "New Outlook Add-In", "OutlookAddin1", "Microsoft Outlook 2000 COM Add-In", "Outlook2000",
       "Select Interface unit for Outlook 2000", "Outlook 2000 COM Add-In generated successfully."},
      {4, 0, "New PowerPoint Add-In", "PowerPointAddin1", "Microsoft PowerPoint 2000 COM Add-In",
       "MSPpt2000", "Select Interface unit for PowerPoint 2000",
       "PowerPoint 2000 COM Add-In generated successfully."},
      {4, 1, "New PowerPoint Add-In", "PowerPointAddin1", "Microsoft PowerPoint 2002/XP COM Add-In",
       "MSPptXP", "Select Interface unit for PowerPoint 2002/XP",
       "PowerPoint 2002 COM Add-In generated successfully."},
      {5, 1, "New Word Add-In", "WordAddin1", "Microsoft Word 2002/XP COM Add-In", "WordXP",
       "Select Interface unit for Word 2002/XP", "Word 2002 COM Add-In generated successfully."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "app " << c.app << ", version " << c.version);
    EXPECT_EQ(DefaultFriendlyName(c.app), c.friendly);
    EXPECT_EQ(DefaultClassName(c.app), c.className);
    EXPECT_EQ(DefaultDescription(c.app, c.version), c.description);
    EXPECT_EQ(DefaultWrapperUnit(c.app, c.version), c.wrapper);
    EXPECT_EQ(WrapperPickerTitle(c.app, c.version), c.pickerTitle);
    EXPECT_EQ(SuccessMessage(c.app, c.version), c.success);
  }
}

TEST(Catalogue, VersionTextIsTheNumberNotTheName) {
  EXPECT_EQ(VersionText(0), "2000");
  EXPECT_EQ(VersionText(1), "2002");
  EXPECT_EQ(DialogCaption(), "New Microsoft Office COM Add-In");
}

TEST(Catalogue, RowsOutsideTheTablesAreRefusedRatherThanRead) {
  EXPECT_THROW(DefaultClassName(6), std::out_of_range);
  EXPECT_THROW(DefaultDescription(0, 2), std::out_of_range);
}

TEST(BuildLoadBehavior, GivesTheDocumentedExamples) {
  EXPECT_EQ(BuildLoadBehavior(true, true, false, false), "AddinLoadConnected or AddinLoadBootLoad");
  EXPECT_EQ(BuildLoadBehavior(false, false, true, true),
            "AddinLoadDemandLoad or AddinLoadConnectFirstTime");
  EXPECT_EQ(BuildLoadBehavior(false, true, false, false), "AddinLoadBootLoad");
  EXPECT_EQ(BuildLoadBehavior(false, false, false, false), "AddinLoadDisconnected");
  EXPECT_EQ(BuildLoadBehavior(true, true, true, true),
            "AddinLoadConnected or AddinLoadBootLoad or AddinLoadDemandLoad or "
            "AddinLoadConnectFirstTime");
  EXPECT_EQ(BuildLoadBehavior(true, false, false, true), "AddinLoadConnected or AddinLoadConnectFirstTime");
}

}  // namespace
}  // namespace quillfern::catalogue
