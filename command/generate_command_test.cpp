#include "command/generate_command.h"
#include "command/messages.h"

#include <functional>
#include <map>
#include <optional>
#include <variant>

#include <gtest/gtest.h>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/program.h"
#include "support/command_support.h"

namespace quillfern::command {
namespace {

namespace fs = std::filesystem;
using quillfern::testing::ListTree;
using quillfern::testing::ReadBytes;
using quillfern::testing::RecordingView;
using quillfern::testing::StateOf;
using quillfern::testing::TempFolder;
using quillfern::testing::WriteBytes;

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
    upper = platform::AsciiUpper(word);
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

// Valid names that the project already uses, some only for a host, a hive
// or a load behaviour, or for the other name; and the near misses beside
// them, which build.
TEST(NameChecks, RefuseNamesThatBreakTheProjectAndOnlyThose) {
  const struct {
    std::size_t app;
    const char *className, *unit;
    bool classBreaks, unitBreaks;
    bool currentUser = true, connected = true, bootLoad = true;
  } cases[] = {
      {1, "ComServ", "ExcelXP.pas", true, false},        {1, "uNIT1", "ExcelXP.pas", true, false},
      {1, "OfficeAddins", "ExcelXP.pas", true, false},   {1, "DllCanUnloadNow", "ExcelXP.pas", true, false},
      {1, "GUID", "ExcelXP.pas", true, false},           {1, "comobject", "ExcelXP.pas", true, false},
      {1, "OfficeAddinFactory", "ExcelXP.pas", true, false},
      {1, "ExcelApplication", "ExcelXP.pas", true, false}, {5, "ExcelApplication", "WordXP.pas", false, false},
      {1, "ExcelXP", "ExcelXP.pas", true, true},         {1, "ExcelAddin1", "excelADDIN1.pas", false, true},
      {1, "ExcelXP", "ExcelXP.pa", false, false},        {1, "ExcelAddin1", "TExcelAddin1.pas", false, false},
      {1, "System", "system.pas", true, true},           {1, "SysUtils", "Classes.pas", false, true},
      {1, "Unit2", "Unit1.pas", false, true},            {1, "ComServer", "ComServ.pas", false, true},
      {1, "ExcelAddin1", "ComServer.pas", false, true},
      {1, "ExcelApplication1", "integer.pas", false, true}, {1, "ExcelAddin1", "_Application.pas", false, true},
      {1, "ExcelAddin1", "TExcelApplication.pas", false, true}, {5, "WordAddin1", "TExcelApplication.pas", false, false},
      {1, "ExcelAddin1", "oaExcel.pas", false, true},    {1, "ExcelAddin1", "oaWord.pas", false, false},
      {1, "ExcelAddin1", "HKEY_CURRENT_USER.pas", false, true},
      {1, "ExcelAddin1", "HKEY_LOCAL_MACHINE.pas", false, false},
      {1, "ExcelAddin1", "HKEY_LOCAL_MACHINE.pas", false, true, false},
      {1, "ExcelAddin1", "AddinLoadBootLoad.pas", false, true},
      {1, "ExcelAddin1", "AddinLoadBootLoad.pas", false, false, true, true, false},
      {1, "ExcelAddin1", "AddinLoadDisconnected.pas", false, false},
      {1, "ExcelAddin1", "AddinLoadDisconnected.pas", false, true, true, false, false},
      {1, "ExcelAddin1", "Class_AddInGUID.pas", false, false}, {1, "ExcelAddin1", "Create.pas", false, false},
      // Names Windows keeps for devices: no "Nul.dpr" or "Con.dll" can be made.
      {1, "Nul", "ExcelXP.pas", true, false},            {1, "con", "ExcelXP.pas", true, false},
      {1, "AUX", "ExcelXP.pas", true, false},            {1, "Prn", "ExcelXP.pas", true, false},
      {1, "COM0", "ExcelXP.pas", true, false},           {1, "lpt9", "ExcelXP.pas", true, false},
      {1, "Console", "ExcelXP.pas", false, false},       {1, "COM10", "ExcelXP.pas", false, false},
      {1, "NulAddin", "ExcelXP.pas", false, false},      {1, "ExcelAddin1", "Nul.pas", false, false},
  };
  for (const auto& c : cases) {
    WizardSettings s = quillfern::testing::NewProjectSettings(c.app, 1);
    s.ClassName = c.className;
    s.InterfaceUnitFile = c.unit;
    s.InstallForCurrentUser = c.currentUser;
    s.LoadConnected = c.connected;
    s.LoadBootLoad = c.bootLoad;
    const std::string name = std::string(c.className) + " / " + c.unit;
    EXPECT_EQ(ClassNameBreaksProject(s), c.classBreaks) << name;
    EXPECT_EQ(IsValidUnitFileName(s.InterfaceUnitFile) && InterfaceUnitBreaksProject(s), c.unitBreaks) << name;
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

TEST(UnexpectedErrorText, AddsAFullStopAfterCharactersAboveTheDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"Unable to create directory", "Unable to create directory."}, {"Resource X not found", "Resource X not found."},
      {"code 5", "code 5."}, {"what?", "what?."}, {"a:", "a:."}, {"done.", "done."}, {"stop!", "stop!"},
      {"(see above)", "(see above)"}, {"a-", "a-"}, {"", ""},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(UnexpectedErrorText(message), shown) << '"' << message << '"';
}

class GenerateCommand : public ::testing::Test {
 protected:
  TempFolder temp;
  RecordingView view;
  std::string out = temp / "out";
  const std::string warning = platform::FindHostApplication("excel.exe").empty() ? "warning Office application not found" : "";

  void SetUp() override {
    view.settings = quillfern::testing::NewProjectSettings(1, 1, out);
    view.scriptedOnly = true;
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

const char* kRevertClass = "ask Class Name is not valid identifier.\nWould you like to revert it to default value?";
const char* kRevertUnit = "ask Interface unit name is not valid.\nWould you like to revert it to default value?";
const char* kCreateFolder = "ask Output folder not found.\nWould you like to create it?";
const char* kOverwrite = "ask Project alreary exists.\nAre you sure you want to overwrite it?";

// An invalid name is offered its default back (the selection's, whatever
// was typed) and takes the focus either way; with both invalid, only the
// class name is asked about. Nothing is written.
TEST_F(GenerateCommand, AnInvalidNameIsOfferedItsDefaultAndTakesTheFocus) {
  const struct {
    std::size_t app;
    const char *className, *unit;
    bool yes;
    std::vector<std::string> log;
    const char* friendlyName = "New Add-In";
  } cases[] = {
      {0, "1Addin", "Access2000.pas", true,
       {std::string(kRevertClass) + " -> Yes", "set Class Name AccessAddin1", "focus Class Name"}},
      {1, "1Addin", "ExcelXP.pas", false, {std::string(kRevertClass) + " -> No", "focus Class Name"}},
      {1, "Begin", "ExcelXP.pas", true,
       {std::string(kRevertClass) + " -> Yes", "set Class Name ExcelAddin1", "focus Class Name"}},
      {1, "", "Excel2000", false, {std::string(kRevertClass) + " -> No", "focus Class Name"}},
      {1, "ExcelAddin1", "TYPE.pas", true,
       {std::string(kRevertUnit) + " -> Yes", "set Interface unit ExcelXP.pas", "focus Interface unit"}},
      {1, "ExcelAddin1", "Excel2000", true,
       {std::string(kRevertUnit) + " -> Yes", "set Interface unit ExcelXP.pas", "focus Interface unit"}},
      {1, "ExcelAddin1", "Excel 2000.pas", false, {std::string(kRevertUnit) + " -> No", "focus Interface unit"}},
      // Names that break the project are asked about the same way; a clash
      // of the two names falls to whichever reverting settles.
      {1, "ExcelApplication", "ExcelXP.pas", true,
       {std::string(kRevertClass) + " -> Yes", "set Class Name ExcelAddin1", "focus Class Name"}},
      {1, "ExcelXP", "ExcelXP.pas", true,
       {std::string(kRevertClass) + " -> Yes", "set Class Name ExcelAddin1", "focus Class Name"}},
      {1, "ExcelAddin1", "ExcelAddin1.pas", true,
       {std::string(kRevertUnit) + " -> Yes", "set Interface unit ExcelXP.pas", "focus Interface unit"}},
      {0, "Nul", "Access2000.pas", true,
       {std::string(kRevertClass) + " -> Yes", "set Class Name AccessAddin1", "focus Class Name"}},
      // The names come first, with their questions, whatever is wrong with
      // the texts: a character the code page lacks, bytes that are not
      // UTF-8, a tab in the friendly name.
      {0, "A\xCE\xA9", "Access2000.pas", false, {std::string(kRevertClass) + " -> No", "focus Class Name"}},
      {0, "caf\xE9", "Access2000.pas", false, {std::string(kRevertClass) + " -> No", "focus Class Name"}},
      {0, "1Addin", "Access2000.pas", false, {std::string(kRevertClass) + " -> No", "focus Class Name"}, "a\tb"},
      {0, "AccessAddin1", "Access\xCE\xA9.pas", false,
       {std::string(kRevertUnit) + " -> No", "focus Interface unit"}, "a\tb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.className) + " / " + c.unit);
    view.settings.TargetApp = c.app;
    view.settings.ClassName = c.className;
    view.settings.InterfaceUnitFile = c.unit;
    view.settings.FriendlyName = c.friendlyName;
    view.answers = {c.yes};
    view.log.clear();
    const bool classAsked = c.log.front().rfind(kRevertClass, 0) == 0;
    EXPECT_EQ(StateOf(RunGenerateCommand(view)),
              classAsked ? "refused InvalidClassName" : "refused InvalidInterfaceUnit");
    EXPECT_EQ(view.log, c.log);
    if (!c.yes) {
      EXPECT_EQ(view.settings.ClassName, c.className);
      EXPECT_EQ(view.settings.InterfaceUnitFile, c.unit);
    }
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(GenerateCommand, MissingFolderIsCreatedWithItsParentsOnYesAndSaysWhichItMade) {
  const fs::path a = temp.path() / "a";
  view.settings.OutputFolderText = (a / "b" / "c").string();
  view.answers = {true};
  const GenerateOutcome o = RunGenerateCommand(view);
  EXPECT_EQ(view.log, Log({std::string(kCreateFolder) + " -> Yes", warning}));
  EXPECT_EQ(FilesIn(view.settings.OutputFolderText), 7u);
  const auto* generated = std::get_if<Generated>(&o);
  ASSERT_TRUE(generated) << StateOf(o);
  EXPECT_EQ(generated->createdFolders,
            (std::vector<std::string>{a.string(), (a / "b").string(), (a / "b" / "c").string()}));
  EXPECT_EQ(generated->fileNames.size(), 7u);
}

TEST_F(GenerateCommand, MissingFolderStaysMissingOnNo) {
  view.answers = {false};
  EXPECT_EQ(StateOf(RunGenerateCommand(view)), "refused FolderNotCreated");
  EXPECT_EQ(view.log, Log({std::string(kCreateFolder) + " -> No"}));
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(GenerateCommand, SecondRunAsksBeforeOverwritingAndNoWritesNothing) {
  view.answers = {true};
  RunGenerateCommand(view);
  const std::string before = ReadBytes(fs::path(out) / "Unit1.pas");
  view.log.clear();
  view.answers = {false};
  EXPECT_EQ(StateOf(RunGenerateCommand(view)), "refused ProjectExists");
  EXPECT_EQ(view.log, Log({std::string(kOverwrite) + " -> No"}));
  EXPECT_EQ(ReadBytes(fs::path(out) / "Unit1.pas"), before);
  view.log.clear();
  view.answers = {true};
  EXPECT_EQ(StateOf(RunGenerateCommand(view)), "generated");
  EXPECT_EQ(view.log, Log({std::string(kOverwrite) + " -> Yes", warning}));
  EXPECT_NE(ReadBytes(fs::path(out) / "Unit1.pas"), before);
}

TEST_F(GenerateCommand, OnlyTheProjectSourceCountsAsAnExistingProject) {
  fs::create_directory(out);
  WriteBytes(fs::path(out) / "Unit1.pas", "old");
  EXPECT_EQ(StateOf(RunGenerateCommand(view)), "generated");
  EXPECT_EQ(view.log, Log({warning}));
}

TEST_F(GenerateCommand, AFolderNamedLikeTheProjectSourceIsNotAProject) {
  fs::create_directories(fs::path(out) / "ExcelAddin1.dpr");
  EXPECT_EQ(StateOf(RunGenerateCommand(view)), "failed WriteFiles");
  EXPECT_EQ(view.log, Log({warning}));
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

// One trailing separator is dropped: the writer gets the folder without it.
TEST_F(GenerateCommand, TheWriterGetsTheBuiltFilesAndTheFolderWithoutItsSeparator) {
  fs::create_directory(out);
  view.settings.OutputFolderText = out + platform::kPathDelimiter;
  std::string folderSeen;
  const GenerateOutcome o = RunGenerateCommand(view, {{}, false, [&](const generator::ProjectFileSet& files, const std::string& folder,
                                                         generator::WriteReport* failure) {
    folderSeen = folder;
    EXPECT_EQ(files.at(0).FileName, "ExcelAddin1.dpr");
    return generator::WriteFileSet(files, folder, failure);
  }});
  EXPECT_EQ(folderSeen, out);
  const auto* generated = std::get_if<Generated>(&o);
  ASSERT_TRUE(generated) << StateOf(o);
  EXPECT_EQ(generated->folder, out);
  EXPECT_TRUE(generated->createdFolders.empty());
  EXPECT_EQ(FilesIn(out), 7u);
  EXPECT_EQ(view.log, Log({warning}));
  view.answers = {true};  // overwrite
  EXPECT_EQ(StateOf(RunGenerateCommand(view, {{}, false, [](auto&&...) { return false; }})), "failed WriteFiles");
}

// Held by another generation (another process, or another lock of this
// one), the folder is waited for, then given up with nothing written; the
// existing-project question is not asked before the folder is held.
TEST_F(GenerateCommand, AFolderAnotherGenerationHoldsIsGivenUpAfterTheWaitWithNothingWritten) {
  fs::create_directory(out);
  WriteBytes(fs::path(out) / "ExcelAddin1.dpr", "theirs");
  const platform::FolderLocking other = platform::LockFolder(out, 0);
  ASSERT_FALSE(other.busy || other.error);
  const auto before = ListTree(out);
  GenerateOptions options;
  options.lockWaitMilliseconds = 50;
  const GenerateOutcome o = RunGenerateCommand(view, options);
  const auto* failed = std::get_if<Failed>(&o);
  ASSERT_TRUE(failed) << StateOf(o);
  const auto* lock = std::get_if<Failed::LockFolder>(&failed->step);
  ASSERT_TRUE(lock) << StateOf(o);
  EXPECT_TRUE(lock->busy);
  EXPECT_EQ(FailureText(*failed), "Another generation is writing into the output folder. Try again when it has finished.");
  EXPECT_TRUE(view.log.empty()) << view.log.front();
  EXPECT_EQ(ListTree(out), before);
}

std::string Repeated(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// The settings' text for each field a test types into.
const std::map<InputField, std::string WizardSettings::*> kTextOf = {
    {InputField::FriendlyName, &WizardSettings::FriendlyName}, {InputField::ClassName, &WizardSettings::ClassName},
    {InputField::Description, &WizardSettings::Description}, {InputField::InterfaceUnit, &WizardSettings::InterfaceUnitFile}};

// Texts that the generated unit could not hold as typed: refused before
// anything is touched or asked, with the field and what it cannot hold.
TEST_F(GenerateCommand, RefusesTextsTheUnitCannotHoldNamingTheirField) {
  using Kind = TextProblem::Kind;
  using F = InputField;
  const std::string quote255 = std::string(253, 'x') + "'";  // 254 characters, 255 in the literal
  const struct {
    const char* what;
    F field;
    std::string text;
    std::optional<TextProblem> problem;
    const char* message;
  } cases[] = {
      {"a line feed", F::FriendlyName, "New\nline", TextProblem{F::FriendlyName, Kind::ControlCharacter, 0x0A},
       "Friendly Name holds a line break or another control character (U+000A), which the generated unit cannot hold."},
      {"a carriage return", F::Description, "a\rb", TextProblem{F::Description, Kind::ControlCharacter, 0x0D}, nullptr},
      {"a DEL and a tab", F::Description, "a\x7F\t", TextProblem{F::Description, Kind::ControlCharacter, 0x7F}, nullptr},
      {"255 characters", F::FriendlyName, std::string(255, 'x'), std::nullopt, nullptr},
      {"256 characters", F::Description, std::string(256, 'x'), TextProblem{F::Description, Kind::LiteralTooLong, 0, 0, 255},
       "Description is too long: Delphi takes at most 255 characters in a string literal (a quote, or a "
       "double-byte character, counts as two)."},
      {"255 with a doubled quote", F::FriendlyName, quote255, std::nullopt, nullptr},
      {"256 with a doubled quote", F::FriendlyName, quote255 + "x",
       TextProblem{F::FriendlyName, Kind::LiteralTooLong, 0, 0, 255}, nullptr},
      // Counted once in the code page: an e with acute is two bytes typed, one written.
      {"255 accented letters", F::Description, Repeated("\xC3\xA9", 255), std::nullopt, nullptr},
      {"256 accented letters", F::Description, Repeated("\xC3\xA9", 256),
       TextProblem{F::Description, Kind::LiteralTooLong, 0, 0, 255}, nullptr},
      {"a character the code page lacks", F::FriendlyName, "\xCE\xA9mega",
       TextProblem{F::FriendlyName, Kind::NotInCodePage, 0x3A9, 1252},
       "Friendly Name holds a character that code page 1252 cannot hold: \xCE\xA9 (U+03A9)."},
      // Shown as itself it would turn the rest of the message around.
      {"a direction override", F::Description, "a\xE2\x80\xAE" "b",
       TextProblem{F::Description, Kind::NotInCodePage, 0x202E, 1252},
       "Description holds a character that code page 1252 cannot hold: U+202E."},
      {"text that is not UTF-8", F::Description, "caf\xE9", TextProblem{F::Description, Kind::NotUtf8},
       "Description is not valid UTF-8 text."},
      // Read from Windows with half a surrogate pair in it.
      {"a lone surrogate", F::FriendlyName, "sur\xED\xA0\x80x", TextProblem{F::FriendlyName, Kind::LoneSurrogate, 0xD800},
       "Friendly Name holds U+D800, half of a UTF-16 surrogate pair without its other half, which is no character."},
      // The class name's backup of the project source, "<class>.~dpr", is
      // the longest name in the folder, and a name has at most 255
      // characters: that is tighter than its lines (929 characters).
      {"the longest class name", F::ClassName, std::string(250, 'C'), std::nullopt, nullptr},
      {"a class name one longer", F::ClassName, std::string(251, 'C'),
       TextProblem{F::ClassName, Kind::NameTooLong, 0, 0, 255, std::string(251, 'C') + ".~dpr", 256},
       "Class Name is too long for a file name: \"CCCCCCCCCCCCCCCCCCCCCCCC...CCCCCCC.~dpr\" would be 256 characters, "
       "and Windows takes at most 255 in a name."},
      {"a class name of a thousand", F::ClassName, std::string(1000, 'C'),
       TextProblem{F::ClassName, Kind::NameTooLong, 0, 0, 255, std::string(1000, 'C') + ".~dpr", 1005}, nullptr},
      // Its limit depends on the lines that name it; any will do.
      {"a unit name too long", F::InterfaceUnit, std::string(1200, 'U') + ".pas",
       TextProblem{F::InterfaceUnit, Kind::LineTooLong, 0, 0, 0}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " in " + std::string(FieldName(c.field)));
    view.settings = quillfern::testing::NewProjectSettings(1, 1, out);
    view.settings.CodePage = 1252;
    view.settings.*kTextOf.at(c.field) = c.text;
    view.log.clear();
    view.answers = {true};
    const GenerateOutcome o = RunGenerateCommand(view);
    const auto* refused = std::get_if<Refused>(&o);
    if (!c.problem) {
      // (The folder's paths may still be too long for Windows with it.)
      EXPECT_FALSE(refused && refused->textProblem && refused->textProblem->field == c.field)
          << TextProblemText(*refused->textProblem);
      fs::remove_all(out);
      continue;
    }
    ASSERT_TRUE(refused && refused->textProblem) << StateOf(o);
    const TextProblem& problem = *refused->textProblem;
    TextProblem expected = *c.problem;
    if (expected.kind == Kind::LineTooLong && expected.limit == 0) expected.limit = problem.limit;
    EXPECT_EQ(problem, expected) << TextProblemText(problem);
    EXPECT_EQ(refused->reason, Refused::Reason::InvalidText);
    if (c.message) {
      EXPECT_EQ(TextProblemText(problem), c.message);
    }
    EXPECT_TRUE(view.log.empty()) << "the front end tells and focuses the field, once the command is done";
    EXPECT_FALSE(fs::exists(out));
  }
}

// The folder each system's user may type, in the one form every step
// takes, or why nothing can be made there, before anything is: Windows'
// rules run here as well as on Windows. The Excel project's longest name is
// "ExcelAddin1.~dpr", 16 characters; with the class name "A" it is
// "Uninstall.~bat", 14.
TEST(OutputFolder, GivesEachSystemsFolderOrWhyTheProjectCannotGoThere) {
  using Kind = TextProblem::Kind;
  using platform::PathStyle;
  const PathStyle win = PathStyle::Windows, posix = PathStyle::Posix;
  const auto problem = [](Kind kind, std::string name, char32_t character = 0) {
    TextProblem p{InputField::OutputFolder, kind, character};
    p.name = std::move(name);
    return p;
  };
  const auto tooLong = [](Kind kind, std::string name, std::size_t length, std::size_t limit, bool inBytes) {
    TextProblem p{InputField::OutputFolder, kind, 0, 0, limit, std::move(name), length, inBytes};
    return p;
  };
  std::string deep = "C:";
  for (int level = 0; level < 20000; ++level) deep += "\\a";
  // A relative folder of Length bytes in names of a hundred.
  const auto ofLength = [](std::size_t length) {
    std::string folder;
    while (folder.size() < length) folder += folder.size() % 101 == 100 ? '/' : 'p';
    return folder;
  };
  const struct {
    PathStyle style;
    std::string text;
    std::variant<std::string, TextProblem> expected;
    const char* className = "ExcelAddin1";
    const char* message = nullptr;
  } cases[] = {
      {win, "ab", "C:\\work\\ab"},  // one part, in the working folder
      {win, "..\\..\\x", "C:\\x"},
      {win, "C:", "C:"},  // the drive's root, to which "\" and a name are added
      {win, "\\", ""},  // no folder to create: the unexpected error
      {win, "/", ""},
      {win, "\\\\server\\share\\", "\\\\server\\share"},
      {win, "\\\\", problem(Kind::NoFolder, "\\\\"), "ExcelAddin1", "Output folder \"\\\\\" names no folder."},
      {win, "C:\\x ", problem(Kind::EndsInBlankOrDot, "x ", ' '), "ExcelAddin1",
       "Output folder holds the name \"x \", which ends in a blank; Windows would drop the blank and name another "
       "folder."},
      {win, "\\\\?\\C:\\x ", "\\\\?\\C:\\x "},  // taken as written
      {win, "\\\\?\\C:\\x\\..", problem(Kind::NotAName, ".."), "ExcelAddin1",
       "Output folder holds the name \"..\", which names no folder in a \\\\?\\ path, where every name is taken as "
       "written."},
      {win, "C:\\x\\CON", problem(Kind::DeviceName, "CON"), "ExcelAddin1",
       "Output folder holds the name \"CON\", which Windows keeps for a device."},
      {win, "C:\\x?y", problem(Kind::RefusedCharacter, "x?y", '?'), "ExcelAddin1",
       "Output folder holds the name \"x?y\", and Windows takes no ? (U+003F) in a name."},
      // A line break would end the message's line: it is shown by its code.
      {win, "C:\\new\nline", problem(Kind::RefusedCharacter, "new\nline", '\n'), "ExcelAddin1",
       "Output folder holds the name \"newU+000Aline\", and Windows takes no U+000A in a name."},
      {win, "C:\\" + std::string(256, 'n'), tooLong(Kind::NameTooLong, std::string(256, 'n'), 256, 255, false)},
      // Three, the folder, one and sixteen: 259 is the most.
      {win, "C:\\" + std::string(239, 'p'), "C:\\" + std::string(239, 'p')},
      {win, "C:\\" + std::string(240, 'p'), tooLong(Kind::PathTooLong, "ExcelAddin1.~dpr", 260, 259, false),
       "ExcelAddin1",
       "Output folder is too long for this project: its longest path, ending in \"ExcelAddin1.~dpr\", would be 260 "
       "characters, and Windows takes at most 259 in a path."},
      {win, "C:\\" + std::string(242, 'p'), tooLong(Kind::PathTooLong, "Uninstall.~bat", 260, 259, false), "A"},
      {win, "C:\\" + std::string(241, 'p'), "C:\\" + std::string(241, 'p'), "A"},
      // A relative folder is counted as Windows counts it, from the drive.
      {win, std::string(236, 'p'), tooLong(Kind::PathTooLong, "ExcelAddin1.~dpr", 261, 259, false)},
      {win, deep, tooLong(Kind::PathTooLong, "ExcelAddin1.~dpr", 40019, 259, false)},
      {posix, "ab", "ab"},
      {posix, "/", ""},
      {posix, "//", ""},
      {posix, "/" + std::string(256, 'n'), tooLong(Kind::NameTooLong, std::string(256, 'n'), 256, 255, true),
       "ExcelAddin1",
       "Output folder holds a name of 256 bytes, \"nnnnnnnnnnnnnnnnnnnnnnnn...nnnnnnnnnnnn\", and the system takes at "
       "most 255 in a name."},
      // The folder, one and sixteen: 4095 is the most.
      {posix, ofLength(4078), ofLength(4078)},
      {posix, ofLength(4079), tooLong(Kind::PathTooLong, "ExcelAddin1.~dpr", 4096, 4095, true)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.style == win ? "Windows: " : "POSIX: ") + c.text.substr(0, 60));
    WizardSettings s = quillfern::testing::NewProjectSettings(1, 1, c.text);
    s.ClassName = c.className;
    const auto folder = OutputFolder(s, c.style == win ? "C:\\work" : "/home/user", c.style);
    if (const auto* expected = std::get_if<std::string>(&c.expected)) {
      const auto* got = std::get_if<std::string>(&folder);
      EXPECT_TRUE(got && *got == *expected) << (got ? *got : TextProblemText(std::get<TextProblem>(folder)));
      continue;
    }
    const auto* got = std::get_if<TextProblem>(&folder);
    ASSERT_TRUE(got) << std::get<std::string>(folder);
    EXPECT_EQ(*got, std::get<TextProblem>(c.expected)) << TextProblemText(*got);
    if (c.message) {
      EXPECT_EQ(TextProblemText(*got), c.message);
    }
  }
}

}  // namespace
}  // namespace quillfern::command
