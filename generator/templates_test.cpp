// The text templates are the generated files' format: these tests hold the
// facts that every template must keep, whatever its prose says. Every byte
// of every line is pinned by the golden tests' expected projects.
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
