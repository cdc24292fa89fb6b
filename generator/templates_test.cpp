// The text templates are the generated files' format: these tests hold the
// facts that every template must keep, whatever its prose says.
#include <map>
#include <regex>

#include <gtest/gtest.h>

#include "generator/template_store.h"
#include "support/test_support.h"

namespace quillfern::generator {
namespace {

using quillfern::testing::CrLfLines;

struct TemplateFacts {
  const char* name;
  std::size_t lines;
  std::size_t bytes;  // 0 where the size is free
  std::map<std::string, int> placeholders;
};

const TemplateFacts kTemplates[] = {
    {"OfficeAddinPrjFile", 35, 0,
     {{"%PROJECTNAME%", 1}, {"%UNITNAME%", 1}, {"%UNITFILENAME%", 1}, {"%OFFICEAPPNAME%", 2},
      {"%OFFICEAPPPATH%", 1}}},
    {"OfficeAddinDofFile", 6, 93, {{"%SEARCHPATH%", 1}, {"%HOSTAPPLICATION%", 1}}},
    {"OfficeAddinImpFile", 125, 0,
     {{"%UNITNAME%", 1}, {"%OFFICEAPPNAME%", 4}, {"%OFFICEAPPPATH%", 1}, {"%OFFICEAPPUNITNAME%", 3},
      {"%OFFICEAPPVERSION%", 1}, {"%ADDINGUID%", 1}, {"%CLASSNAME%", 12},
      {"%APPLICATIONWRAPPERCLASSNAME%", 2}, {"%FRIENDLYNAME%", 1}, {"%DESCRIPTION%", 1},
      {"%LOADBEHAVIOR%", 1}, {"%OFFICEAPPKIND%", 1}, {"%ROOTKEY%", 1}}},
    {"OfficeAddinInsFile", 5, 99, {{"%OFFICEAPPNAME%", 1}, {"%OFFICEAPPVERSION%", 1}, {"%COMADDIN%", 1}}},
    {"OfficeAddinUniFile", 5, 104, {{"%OFFICEAPPNAME%", 1}, {"%OFFICEAPPVERSION%", 1}, {"%COMADDIN%", 1}}},
    {"OfficeAddinInfFile", 28, 0,
     {{"%OFFICEAPPNAME%", 4}, {"%OFFICEAPPPATH%", 1}, {"%OFFICEAPPUNITNAME%", 2},
      {"%OFFICEAPPVERSION%", 1}, {"%DATE%", 1}, {"%VER%", 1}, {"%PRJFILE%", 1}, {"%DOFFILE%", 1}}},
};

std::map<std::string, int> CountPlaceholders(const std::string& text) {
  static const std::regex placeholder("%[A-Z]+%");
  std::map<std::string, int> counts;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it)
    ++counts[it->str()];
  return counts;
}

TEST(TextTemplates, HaveTheirLineCountsSizesAndPlaceholders) {
  for (const auto& facts : kTemplates) {
    SCOPED_TRACE(facts.name);
    const std::string text = LoadTemplate(facts.name);
    EXPECT_EQ(CrLfLines(text).size(), facts.lines);
    if (facts.bytes) {
      EXPECT_EQ(text.size(), facts.bytes);
    }
    EXPECT_EQ(CountPlaceholders(text), facts.placeholders);
  }
}

TEST(TextTemplates, ArePlainAsciiWithCrLfAfterEveryLineAndNoTrailingBlanks) {
  for (const auto& facts : kTemplates) {
    SCOPED_TRACE(facts.name);
    const std::string text = LoadTemplate(facts.name);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      const bool lineEnd = (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ||
                           (c == '\n' && i > 0 && text[i - 1] == '\r');
      EXPECT_TRUE(lineEnd || (c >= 0x20 && c <= 0x7E)) << "byte " << int(c) << " at " << i;
    }
    const auto lines = CrLfLines(text);
    for (std::size_t n = 0; n < lines.size(); ++n) {
      EXPECT_TRUE(lines[n].empty() || lines[n].back() != ' ') << "line " << n + 1 << " ends in a blank";
      // A percent sign stands only inside a placeholder.
      const std::string outside = std::regex_replace(lines[n], std::regex("%[A-Z]+%"), "");
      EXPECT_EQ(outside.find('%'), std::string::npos) << "stray % on line " << n + 1;
    }
  }
}

TEST(TextTemplates, EndAsTheirFormatsRequire) {
  // The options file and the read-me end with an empty line, the others with their last text line.
  for (const auto& facts : kTemplates) {
    const std::string text = LoadTemplate(facts.name);
    const bool endsEmpty = text.size() >= 4 && text.substr(text.size() - 4) == "\r\n\r\n";
    const std::string name = facts.name;
    EXPECT_EQ(endsEmpty, name == "OfficeAddinDofFile" || name == "OfficeAddinInfFile") << name;
  }
}

struct LineCase {
  const char* templateName;
  std::size_t line;  // from 1
  const char* text;
};

// The lines whose exact blanks carry meaning: alignment, indentation of
// continued declarations, and the code lines that tie the files together.
TEST(TextTemplates, KeepTheLinesWhoseBlanksAndNamesMatter) {
  const LineCase cases[] = {
      {"OfficeAddinPrjFile", 13, "  %OFFICEAPPPATH%"},
      {"OfficeAddinPrjFile", 14, "  for an %OFFICEAPPNAME% Add-In."},
      {"OfficeAddinPrjFile", 18, "library %PROJECTNAME%;"},
      {"OfficeAddinPrjFile", 22, "  %UNITNAME% in '%UNITFILENAME%';"},
      {"OfficeAddinPrjFile", 30, "{$R *.TLB}"},
      {"OfficeAddinPrjFile", 32, "{$R *.RES}"},
      {"OfficeAddinPrjFile", 35, "end."},
      {"OfficeAddinDofFile", 2, "SearchPath=%SEARCHPATH%"},
      {"OfficeAddinDofFile", 5, "HostApplication=%HOSTAPPLICATION%"},
      {"OfficeAddinImpFile", 21, "  %OFFICEAPPPATH%"},
      {"OfficeAddinImpFile", 26, "unit %UNITNAME%;"},
      {"OfficeAddinImpFile", 32, "  OfficeAddins, %OFFICEAPPUNITNAME%;"},
      {"OfficeAddinImpFile", 36, "  Class_AddInGUID: TGUID = '%ADDINGUID%';"},
      {"OfficeAddinImpFile", 40, "  T%CLASSNAME% = class(TComObject, IDispatch, IDTExtensibility2)"},
      {"OfficeAddinImpFile", 53,
       "                           const AddInInst: IDispatch; var custom: PSafeArray); safecall;"},
      {"OfficeAddinImpFile", 67, "  Count  := 0;"},
      {"OfficeAddinImpFile", 88,
       "                       const AddInInst: IDispatch; var custom: PSafeArray); safecall;"},
      {"OfficeAddinImpFile", 101, ""},
      {"OfficeAddinImpFile", 102, ""},
      {"OfficeAddinImpFile", 116, "  TOfficeAddinFactory.Create(ComServer,"},
      {"OfficeAddinImpFile", 119, "                             '%FRIENDLYNAME%',"},
      {"OfficeAddinImpFile", 120, "                             '%CLASSNAME%',"},
      {"OfficeAddinImpFile", 121, "                             '%DESCRIPTION%',"},
      {"OfficeAddinImpFile", 124, "                             %ROOTKEY%);"},
      {"OfficeAddinImpFile", 125, "end."},
      {"OfficeAddinInsFile", 5, "regsvr32.exe %COMADDIN%"},
      {"OfficeAddinUniFile", 5, "regsvr32.exe /u %COMADDIN%"},
      {"OfficeAddinInfFile", 1, "Generated on %DATE% by \"Quillfern %VER%\""},
      {"OfficeAddinInfFile", 3, "  Project  : %PRJFILE%"},
      {"OfficeAddinInfFile", 7, "  Uninstall: Uninstall.bat"},
      {"OfficeAddinInfFile", 8, "  Readme   : Readme.txt"},
      {"OfficeAddinInfFile", 15,
       "\"%OFFICEAPPUNITNAME%\" in the uses clause of Unit1.pas with your own unit's name."},
      {"OfficeAddinInfFile", 26, "%OFFICEAPPPATH%"},
  };
  for (const auto& c : cases) {
    const auto lines = CrLfLines(LoadTemplate(c.templateName));
    ASSERT_LE(c.line, lines.size()) << c.templateName;
    EXPECT_EQ(lines[c.line - 1], c.text) << c.templateName << " line " << c.line;
  }
}

TEST(TextTemplates, NameTheClassElevenTimesAfterATAndOnceAsALiteral) {
  const std::string unit = LoadTemplate("OfficeAddinImpFile");
  int afterT = 0;
  for (std::size_t at = unit.find("T%CLASSNAME%"); at != std::string::npos; at = unit.find("T%CLASSNAME%", at + 1))
    ++afterT;
  EXPECT_EQ(afterT, 11);
  EXPECT_NE(unit.find("'%CLASSNAME%'"), std::string::npos);
}

TEST(TemplateStore, FindsNamesWithoutRegardToCaseAndReportsAMissingOne) {
  EXPECT_EQ(LoadTemplate("OFFICEADDINDOFFILE"), LoadTemplate("OfficeAddinDofFile"));
  EXPECT_EQ(LoadTemplate("officeaddintlbfile").size(), 1032u);
  try {
    LoadTemplate("OfficeAddinXyzFile");
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Resource OfficeAddinXyzFile not found");
  }
}

}  // namespace
}  // namespace quillfern::generator
