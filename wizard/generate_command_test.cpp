#include "wizard/generate_command.h"

#include <deque>

#include <gtest/gtest.h>

#include "platform/probes.h"
#include "support/test_support.h"

namespace quillfern::wizard {
namespace {

namespace fs = std::filesystem;
using quillfern::testing::ListTree;
using quillfern::testing::TempFolder;

TEST(IsValidIdentifier, AcceptsPascalIdentifiersOnly) {
  const std::pair<const char*, bool> cases[] = {
      {"ExcelAddin1", true}, {"_", true},     {"a", true},      {"_x9_", true},  {"Z", true},
      {"", false},          {"1Addin", false}, {"Excel Addin", false}, {"Add-In", false},
      {"é", false},         {"x.y", false},   {" a", false},    {"a ", false},
  };
  for (const auto& [name, valid] : cases) EXPECT_EQ(IsValidIdentifier(name), valid) << '"' << name << '"';
}

// Delphi's reserved words, none of which can name a library or a unit.
const char* const kReservedWords[] = {
    "and", "array", "as", "asm", "begin", "case", "class", "const", "constructor", "destructor",
    "dispinterface", "div", "do", "downto", "else", "end", "except", "exports", "file", "finalization",
    "finally", "for", "function", "goto", "if", "implementation", "in", "inherited", "initialization",
    "inline", "interface", "is", "label", "library", "mod", "nil", "not", "object", "of", "or", "out",
    "packed", "procedure", "program", "property", "raise", "record", "repeat", "resourcestring", "set",
    "shl", "shr", "string", "then", "threadvar", "to", "try", "type", "unit", "until", "uses", "var",
    "while", "with", "xor"};

TEST(IsValidIdentifier, RejectsReservedWordsInAnyLetterCase) {
  for (std::string word : kReservedWords) {
    std::string upper = word, capitalised = word;
    for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
    capitalised[0] = upper[0];
    for (const std::string& name : {word, upper, capitalised}) {
      EXPECT_FALSE(IsValidIdentifier(name)) << name;
      EXPECT_FALSE(IsValidUnitFileName(name + ".pas")) << name << ".pas";
    }
  }
}

TEST(IsValidIdentifier, AcceptsNamesNearReservedWordsAndDirectives) {
  // Words that only contain or resemble a reserved word, and directives,
  // which Object Pascal reserves only in their own places.
  const char* const names[] = {"Begin1", "Units", "Types", "_end", "EndX", "Strings", "Interfaces",
                               "Ends", "Tobject", "Register", "Name", "Message", "Private",
                               "Published", "At", "On", "Operator", "Result", "Self", "Exit"};
  for (const std::string name : names) {
    EXPECT_TRUE(IsValidIdentifier(name)) << name;
    EXPECT_TRUE(IsValidUnitFileName(name + ".pas")) << name << ".pas";
  }
}

TEST(IsValidUnitFileName, NeedsAnIdentifierFollowedByPasAtTheOnlyPlaceItStands) {
  const std::pair<const char*, bool> cases[] = {
      {"Excel2000.pas", true},      {"excel2000.PAS", true},    {"a.pas", true},
      {"_x.Pas", true},             {".pas", false},            {"Excel 2000.pas", false},
      {"2000.pas", false},          {"Excel2000.pas.pas", false}, {"Excel2000", false},
      {"Excel.Word.pas", false},    {"a.pa", false},            {"Excel2000.pasx", false},
      {"", false},                  {"ab.txt", false},          {".pas.pas", false},
  };
  for (const auto& [name, valid] : cases) EXPECT_EQ(IsValidUnitFileName(name), valid) << '"' << name << '"';
}

TEST(OutputFolder, RemovesOneTrailingSeparatorOnly) {
  const std::string d(1, platform::kPathDelimiter);
  EXPECT_EQ(OutputFolder("out" + d), "out");
  EXPECT_EQ(OutputFolder("out" + d + d), "out" + d);
  EXPECT_EQ(OutputFolder("out"), "out");
  EXPECT_EQ(OutputFolder(d), "");
  EXPECT_EQ(OutputFolder(""), "");
}

TEST(UnexpectedErrorText, AddsAFullStopAfterCharactersAboveTheDot) {
  EXPECT_EQ(UnexpectedErrorText("Unable to create directory"), "Unable to create directory.");
  EXPECT_EQ(UnexpectedErrorText("Resource X not found"), "Resource X not found.");
  EXPECT_EQ(UnexpectedErrorText("code 5"), "code 5.");
  EXPECT_EQ(UnexpectedErrorText("what?"), "what?.");
  EXPECT_EQ(UnexpectedErrorText("a:"), "a:.");
  EXPECT_EQ(UnexpectedErrorText("done."), "done.");
  EXPECT_EQ(UnexpectedErrorText("stop!"), "stop!");
  EXPECT_EQ(UnexpectedErrorText("(see above)"), "(see above)");
  EXPECT_EQ(UnexpectedErrorText("a-"), "a-");
  EXPECT_EQ(UnexpectedErrorText(""), "");
}

// A view that answers from a script and records everything the command does.
class ScriptedView : public GenerateView {
 public:
  WizardSettings settings;
  std::deque<bool> answers;  // popped by each question; running out fails the test
  std::vector<std::string> log;

  WizardSettings ReadSettings() override { return settings; }
  void SetFieldText(InputField field, const std::string& text) override {
    (field == InputField::ClassName ? settings.ClassName : settings.InterfaceUnitFile) = text;
    log.push_back("set " + Name(field) + " " + text);
  }
  void FocusField(InputField field) override { log.push_back("focus " + Name(field)); }
  bool AskYesNo(Question, const std::string& text, MessageOffset at) override {
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return false;
    }
    const bool yes = answers.front();
    answers.pop_front();
    log.push_back("ask " + At(at) + text + (yes ? " -> Yes" : " -> No"));
    return yes;
  }
  void ShowError(const std::string& text, MessageOffset at) override { log.push_back("error " + At(at) + text); }
  void ShowInformation(const std::string& text, MessageOffset at) override {
    log.push_back("info " + At(at) + text);
  }
  void ShowWarning(const std::string& title, const std::string&) override { log.push_back("warning " + title); }

 private:
  static std::string Name(InputField f) { return f == InputField::ClassName ? "class" : "unit"; }
  static std::string At(MessageOffset at) {
    return "(" + std::to_string(at.x) + "," + std::to_string(at.y) + ") ";
  }
};

class GenerateCommand : public ::testing::Test {
 protected:
  TempFolder temp;
  ScriptedView view;
  std::string out = temp / "out";
  const std::string warning = platform::FindHostApplication("excel.exe").empty() ? "warning Office application not found" : "";

  void SetUp() override {
    view.settings.TargetApp = 1;
    view.settings.TargetVersion = 1;
    view.settings.InterfaceUnitFile = "ExcelXP.pas";
    view.settings.FriendlyName = "New Excel Add-In";
    view.settings.ClassName = "ExcelAddin1";
    view.settings.Description = "Microsoft Excel 2002/XP COM Add-In";
    view.settings.OutputFolderText = out;
  }
  std::vector<std::string> Log(std::initializer_list<std::string> entries) {
    std::vector<std::string> expected;
    for (const auto& e : entries)
      if (!e.empty()) expected.push_back(e);
    return expected;
  }
  std::size_t FilesIn(const std::string& folder) {
    return fs::exists(folder) ? ListTree(folder).size() : 0;
  }
};

const char* kRevertClass =
    "ask (50,200) Class Name is not valid identifier.\rWould you like to revert it to default value?";
const char* kRevertUnit =
    "ask (50,200) Interface unit name is not valid.\rWould you like to revert it to default value?";
const char* kCreateFolder = "ask (80,200) Output folder not found.\rWould you like to create it?";
const char* kOverwrite = "ask (70,200) Project alreary exists.\rAre you sure you want to overwrite it?";
const char* kSuccess = "info (30,200) Excel 2002 COM Add-In generated successfully.";

TEST_F(GenerateCommand, InvalidClassNameRevertedOnYes) {
  view.settings.TargetApp = 0;
  view.settings.ClassName = "1Addin";
  view.answers = {true};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kRevertClass) + " -> Yes", "set class AccessAddin1", "focus class"}));
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(GenerateCommand, InvalidClassNameKeptOnNo) {
  view.settings.ClassName = "1Addin";
  view.answers = {false};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kRevertClass) + " -> No", "focus class"}));
  EXPECT_EQ(view.settings.ClassName, "1Addin");
}

TEST_F(GenerateCommand, ReservedWordsAsClassOrUnitNameAreOfferedTheirDefaults) {
  view.settings.ClassName = "Begin";
  view.answers = {true};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kRevertClass) + " -> Yes", "set class ExcelAddin1", "focus class"}));

  view.log.clear();
  view.settings.ClassName = "ExcelAddin1";
  view.settings.InterfaceUnitFile = "TYPE.pas";
  view.answers = {true};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kRevertUnit) + " -> Yes", "set unit ExcelXP.pas", "focus unit"}));
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(GenerateCommand, OnlyTheClassNameIsAskedWhenBothAreInvalid) {
  view.settings.ClassName = "";
  view.settings.InterfaceUnitFile = "Excel2000";
  view.answers = {false};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kRevertClass) + " -> No", "focus class"}));
}

TEST_F(GenerateCommand, InvalidUnitRevertedToTheSelectionsWrapper) {
  view.settings.InterfaceUnitFile = "Excel2000";
  view.answers = {true};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kRevertUnit) + " -> Yes", "set unit ExcelXP.pas", "focus unit"}));
}

TEST_F(GenerateCommand, InvalidUnitKeptOnNo) {
  view.settings.InterfaceUnitFile = "Excel 2000.pas";
  view.answers = {false};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kRevertUnit) + " -> No", "focus unit"}));
}

TEST_F(GenerateCommand, MissingFolderIsCreatedWithItsParentsOnYes) {
  out = temp / "a";
  view.settings.OutputFolderText = (fs::path(out) / "b" / "c").string();
  view.answers = {true};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kCreateFolder) + " -> Yes", warning, kSuccess}));
  EXPECT_EQ(FilesIn(view.settings.OutputFolderText), 7u);
}

TEST_F(GenerateCommand, MissingFolderStaysMissingOnNo) {
  view.answers = {false};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kCreateFolder) + " -> No"}));
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(GenerateCommand, TrailingSeparatorAndNoneBehaveAlike) {
  fs::create_directory(out);
  view.settings.OutputFolderText = out + platform::kPathDelimiter;
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({warning, kSuccess}));
  EXPECT_TRUE(fs::is_regular_file(fs::path(out) / "ExcelAddin1.dpr"));
  EXPECT_EQ(FilesIn(out), 7u);
}

TEST_F(GenerateCommand, SecondRunAsksBeforeOverwritingAndNoWritesNothing) {
  view.answers = {true};
  RunGenerateCommand(view);
  const std::string before = quillfern::testing::ReadBytes(fs::path(out) / "Unit1.pas");
  view.log.clear();
  view.answers = {false};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kOverwrite) + " -> No"}));
  EXPECT_EQ(quillfern::testing::ReadBytes(fs::path(out) / "Unit1.pas"), before);
  view.log.clear();
  view.answers = {true};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kOverwrite) + " -> Yes", warning, kSuccess}));
  EXPECT_NE(quillfern::testing::ReadBytes(fs::path(out) / "Unit1.pas"), before);
}

TEST_F(GenerateCommand, OnlyTheProjectSourceCountsAsAnExistingProject) {
  fs::create_directory(out);
  quillfern::testing::WriteBytes(fs::path(out) / "Unit1.pas", "old");
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({warning, kSuccess}));
}

TEST_F(GenerateCommand, AFolderNamedLikeTheProjectSourceIsNotAProject) {
  fs::create_directories(fs::path(out) / "ExcelAddin1.dpr");
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({warning, "error (80,200) Unable to write project files."}));
}

TEST_F(GenerateCommand, AFileInTheWayOfTheFolderCannotBeCreated) {
  quillfern::testing::WriteBytes(out, "a file");
  view.settings.OutputFolderText = out + platform::kPathDelimiter + "sub";
  view.answers = {true};
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kCreateFolder) + " -> Yes", "error (80,200) Unable to create output folder."}));
}

TEST_F(GenerateCommand, WriteFailurePartWayIsReportedAndEarlierFilesStay) {
  fs::create_directories(fs::path(out) / "Install.bat");
  RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({warning, "error (80,200) Unable to write project files."}));
  EXPECT_TRUE(fs::is_regular_file(fs::path(out) / "Unit1.pas"));
  EXPECT_FALSE(fs::exists(fs::path(out) / "Readme.txt"));
}

TEST_F(GenerateCommand, AnEmptyOutputFolderIsAnUnexpectedError) {
  view.settings.OutputFolderText = std::string(1, platform::kPathDelimiter);
  try {
    RunGenerateCommand(view);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Unable to create directory");
  }
  EXPECT_TRUE(view.log.empty());
}

TEST_F(GenerateCommand, AWriterThatFailsGivesTheWriteError) {
  fs::create_directory(out);
  RunGenerateCommand(view, [](const WizardSettings&, const std::string&, const generator::WarningHook&) { return false; });
  EXPECT_EQ(view.log, Log({"error (80,200) Unable to write project files."}));
}

TEST_F(GenerateCommand, TheWriterGetsTheSettingsAndTheFolderWithoutItsSeparator) {
  fs::create_directory(out);
  view.settings.OutputFolderText = out + platform::kPathDelimiter;
  std::string folderSeen;
  RunGenerateCommand(view, [&](const WizardSettings& s, const std::string& folder, const generator::WarningHook&) {
    folderSeen = folder;
    EXPECT_EQ(s.ClassName, "ExcelAddin1");
    return true;
  });
  EXPECT_EQ(folderSeen, out);
  EXPECT_EQ(view.log, Log({kSuccess}));
}

}  // namespace
}  // namespace quillfern::wizard
