// Every way the Generate button can end, from the user's side: the questions
// and notices with their exact words, titles, icons, buttons and places, the
// answers, where the focus lands, and the files on disk afterwards.
#include <algorithm>
#include <map>
#include <thread>

#include "support/wizard_driver.h"
#include "wizard/form.h"
#include "wizard/layout.h"

namespace quillfern::testing {
namespace {

using namespace quillfern::wizard;
namespace fs = std::filesystem;

const std::set<std::string> kAccessProject = ProjectFileSet("AccessAddin1");

// Every file of the project, one after the other.
std::string ProjectBytes(const fs::path& folder) {
  std::string all;
  for (const std::string& name : kAccessProject) all += ReadBytes(folder / name);
  return all;
}

const std::vector<std::string> kYesNo{"&Yes", "&No"};
const std::vector<std::string> kOk{"OK"};

class GenerateTest : public WizardTest {
 protected:
  // Enter in the description box, as a user finishing the form would press it.
  void Generate() {
    wizard.Click(edtDescription);
    wizard.Press(VK_RETURN);
  }

  // A notice (titled, with its icon and OK) or, titled "Confirm", a question
  // (Yes and No), at Offset from the wizard's corner.
  void ExpectNotice(const MessageWindow& message, const std::string& title, const std::string& icon,
                    const std::string& text, POINT offset) {
    EXPECT_EQ(message.title, title);
    EXPECT_EQ(message.text, text);
    EXPECT_EQ(message.icon, icon);
    EXPECT_EQ(message.buttons, title == "Confirm" ? kYesNo : kOk);
    const POINT at = Offset(message);
    EXPECT_EQ(at.x, offset.x);
    EXPECT_EQ(at.y, offset.y);
  }
  void ExpectConfirmation(const MessageWindow& message, const std::string& text, POINT offset) {
    ExpectNotice(message, "Confirm", "question", text, offset);
  }

  // The host warning, then the success notice; both answered.
  void ExpectGenerated(const std::string& success) {
    const MessageWindow warning = NextMessage();
    EXPECT_EQ(warning.title, "Office application not found");
    EXPECT_EQ(warning.text,
              "It does not appear that you have Access installed.\r\n"
              "You might not be able to run and debug the Add-In on this computer.");
    EXPECT_EQ(warning.icon, "warning");
    EXPECT_EQ(warning.buttons, kOk);
    EXPECT_EQ(::GetWindow(warning.window, GW_OWNER), wizard.window());
    Give(Answer::Enter, warning);
    const MessageWindow done = NextMessage();
    ExpectNotice(done, "Information", "information", success, {30, 200});
    Give(Answer::ClickOk, done);
  }

  bool NoMessageOpen() {
    wizard.Settle();
    return wizard.OtherWindows().empty();
  }
};

struct RevertCase {
  Answer answer;
  const char* after;
};

TEST_F(GenerateTest, AnInvalidClassNameIsOfferedItsDefaultBackAndTakesTheFocusWhateverTheAnswer) {
  ASSERT_TRUE(wizard.window());
  const std::string out = work / "out";
  wizard.SetText(edtFolder, out);
  const RevertCase cases[] = {
      {Answer::ClickYes, "AccessAddin1"}, {Answer::Enter, "AccessAddin1"}, {Answer::ClickNo, "1Addin"},
      {Answer::Escape, "1Addin"},         {Answer::CloseBox, "1Addin"},
  };
  for (const RevertCase& c : cases) {
    SCOPED_TRACE(Name(c.answer));
    wizard.SetText(edtClassName, "1Addin");
    wizard.SetText(edtWrapper, "Excel2000");  // also invalid: only the class name is asked about
    Generate();
    const MessageWindow question = NextMessage();
    ExpectConfirmation(question, "Class Name is not valid identifier.\r\nWould you like to revert it to default value?",
                       {50, 200});
    Give(c.answer, question);
    EXPECT_TRUE(NoMessageOpen());
    EXPECT_EQ(wizard.Text(edtClassName), c.after);
    EXPECT_EQ(wizard.Text(edtWrapper), "Excel2000");
    EXPECT_EQ(wizard.FocusId(), edtClassName);
  }
  EXPECT_FALSE(fs::exists(out)) << "nothing is written";
}

TEST_F(GenerateTest, AnInvalidUnitNameIsOfferedTheHostsUnitForTheVersion) {
  ASSERT_TRUE(wizard.window());
  wizard.Click(cbTargetApp);
  wizard.Press(VK_ESCAPE);
  wizard.Press(VK_DOWN);  // Excel
  wizard.Click(cbTargetVersion);
  wizard.Press(VK_ESCAPE);
  wizard.Press(VK_DOWN);  // 2002/XP
  const RevertCase cases[] = {{Answer::ClickNo, "Excel2000"}, {Answer::ClickYes, "ExcelXP.pas"}};
  for (const RevertCase& c : cases) {
    SCOPED_TRACE(Name(c.answer));
    wizard.SetText(edtWrapper, "Excel2000");
    Generate();
    const MessageWindow question = NextMessage();
    ExpectConfirmation(question, "Interface unit name is not valid.\r\nWould you like to revert it to default value?",
                       {50, 200});
    Give(c.answer, question);
    EXPECT_TRUE(NoMessageOpen());
    EXPECT_EQ(wizard.Text(edtWrapper), c.after);
    EXPECT_EQ(wizard.FocusId(), edtWrapper);
  }
}

TEST_F(GenerateTest, AMissingFolderIsCreatedOnlyWhenTheUserSaysYes) {
  ASSERT_TRUE(wizard.window());
  const std::string out = work / "new\\project";
  wizard.SetText(edtFolder, out + "\\");  // one trailing backslash is dropped

  for (Answer no : {Answer::ClickNo, Answer::Escape}) {
    SCOPED_TRACE(Name(no));
    Generate();
    const MessageWindow question = NextMessage();
    ExpectConfirmation(question, "Output folder not found.\r\nWould you like to create it?", {80, 200});
    Give(no, question);
    EXPECT_TRUE(NoMessageOpen());
    EXPECT_FALSE(fs::exists(work / "new")) << "nothing is created";
  }

  Generate();
  const MessageWindow question = NextMessage();
  ExpectConfirmation(question, "Output folder not found.\r\nWould you like to create it?", {80, 200});
  Give(Answer::Enter, question);
  ExpectGenerated("Access 2000 COM Add-In generated successfully.");
  EXPECT_TRUE(NoMessageOpen());
  EXPECT_EQ(ListTree(out), kAccessProject);
  EXPECT_EQ(wizard.FocusId(), edtDescription) << "the focus goes back where Enter was pressed";
  EXPECT_TRUE(wizard.Running()) << "the dialog stays open";
}

// Folders named in any script land the project in them as typed: one that
// exists, ending in 表 (95 5C in code page 932, whose second byte is a
// backslash), and missing ones ending in ソ (83 5C) with a backslash after
// it, and in characters no one code page holds together.
TEST_F(GenerateTest, TheProjectLandsInTheFolderAsNamedInAnyScript) {
  ASSERT_TRUE(wizard.window());
  const struct {
    std::string name;
    bool existing;
    const char* trailing;
  } cases[] = {{"\u8868", true, ""}, {"new \u30bd", false, "\\"}, {"Caf\u00e9 \u03a9 \u0416", false, ""}};
  std::set<std::string> expected;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.existing) fs::create_directory(fs::u8path(work / c.name));
    wizard.SetText(edtFolder, work / c.name + c.trailing);
    Generate();
    if (!c.existing) Give(Answer::Enter, NextMessage());  // Yes, create it
    // The host warning's button speaks the system's language.
    const MessageWindow warning = NextMessage();
    EXPECT_EQ(warning.title, "Office application not found");
    Give(Answer::Enter, warning);
    const MessageWindow done = NextMessage();
    EXPECT_EQ(done.text, "Access 2000 COM Add-In generated successfully.");
    Give(Answer::Enter, done);
    expected.insert(c.name + "/");
    for (const std::string& file : kAccessProject) expected.insert(c.name + "/" + file);
    EXPECT_EQ(ListTree(work.path()), expected);
  }
}

// Only a project source of the same name is asked about. What a run
// replaces by other bytes is kept as its backup, also the files of another
// project that a project of another class name shares names with.
TEST_F(GenerateTest, GeneratingAgainAsksOnlyForTheSameProjectAndKeepsWhatItReplaces) {
  ASSERT_TRUE(wizard.window());
  const auto bytesOf = [&](const std::string& name) { return ReadBytes(work.path() / name); };
  wizard.Click(btnOk);  // into the working folder, which exists
  ExpectGenerated("Access 2000 COM Add-In generated successfully.");
  EXPECT_EQ(ListTree(work.path()), kAccessProject);
  const std::string first = ProjectBytes(work.path()), firstUnit = bytesOf("Unit1.pas"),
                    firstReadme = bytesOf("Readme.txt");

  wizard.Click(btnOk);
  MessageWindow question = NextMessage();
  ExpectConfirmation(question, "Project alreary exists.\r\nAre you sure you want to overwrite it?", {70, 200});
  Give(Answer::ClickNo, question);
  EXPECT_TRUE(NoMessageOpen());
  EXPECT_EQ(ProjectBytes(work.path()), first) << "No writes nothing";
  EXPECT_EQ(wizard.FocusId(), btnOk);

  wizard.Click(btnOk);
  question = NextMessage();
  ExpectConfirmation(question, "Project alreary exists.\r\nAre you sure you want to overwrite it?", {70, 200});
  Give(Answer::ClickYes, question);
  ExpectGenerated("Access 2000 COM Add-In generated successfully.");
  EXPECT_NE(ProjectBytes(work.path()), first) << "a new class identifier was written";
  // The read-me changes only when the second has moved on.
  std::set<std::string> tree = kAccessProject;
  tree.insert("Unit1.~pas");
  if (bytesOf("Readme.txt") != firstReadme) tree.insert("Readme.~txt");
  EXPECT_EQ(ListTree(work.path()), tree);
  EXPECT_EQ(bytesOf("Unit1.~pas"), firstUnit);

  // A Word add-in of another name beside it: no question, and the Access
  // project's unit, batch files and read-me become backups.
  std::map<std::string, std::string> access;
  for (const std::string& name : kAccessProject) access[name] = bytesOf(name);
  wizard.Click(cbTargetApp);
  wizard.Press(VK_ESCAPE);
  for (int row = 0; row < 5; ++row) wizard.Press(VK_DOWN);
  ASSERT_EQ(wizard.Text(edtClassName), "WordAddin1");
  wizard.SetText(edtClassName, "WordTools");
  wizard.Click(btnOk);
  const MessageWindow warning = NextMessage();
  EXPECT_EQ(warning.title, "Office application not found") << warning.text;
  Give(Answer::Enter, warning);
  const MessageWindow done = NextMessage();
  ExpectNotice(done, "Information", "information", "Word 2000 COM Add-In generated successfully.", {30, 200});
  Give(Answer::ClickOk, done);
  for (const char* name : {"AccessAddin1.dpr", "AccessAddin1.dof", "AccessAddin1.tlb"})
    EXPECT_EQ(bytesOf(name), access[name]) << name;
  for (const char* name : {"Unit1.pas", "Install.bat", "Uninstall.bat", "Readme.txt"}) {
    EXPECT_EQ(bytesOf(generator::BackupName(name)), access[name]) << name;
    tree.insert(generator::BackupName(name));
  }
  for (const char* name : {"WordTools.dpr", "WordTools.dof", "WordTools.tlb"}) tree.insert(name);
  EXPECT_EQ(ListTree(work.path()), tree);

  wizard.Click(btnCancel);
  EXPECT_EQ(wizard.WaitForExit(), 0u) << "Close right after a generation";
}

TEST_F(GenerateTest, AFolderThatCannotBeCreatedIsReportedAsAnError) {
  ASSERT_TRUE(wizard.window());
  WriteBytes(work.path() / "plain-file", "x");
  wizard.SetText(edtFolder, work / "plain-file\\sub");
  Generate();
  Give(Answer::Enter, NextMessage());
  const MessageWindow error = NextMessage();
  ExpectNotice(error, "Error", "error", "Unable to create output folder.", {80, 200});
  Give(Answer::Escape, error);
  EXPECT_TRUE(NoMessageOpen());
  EXPECT_EQ(ListTree(work.path()), std::set<std::string>{"plain-file"});
}

TEST_F(GenerateTest, AProjectFileThatCannotBeWrittenIsReportedAsAnError) {
  ASSERT_TRUE(wizard.window());
  fs::create_directory(work.path() / "AccessAddin1.dof");  // a folder where a file must go
  wizard.Click(btnOk);
  Give(Answer::Enter, NextMessage());  // the host warning comes first
  const MessageWindow error = NextMessage();
  ExpectNotice(error, "Error", "error", "Unable to write project files.", {80, 200});
  Give(Answer::CloseBox, error);
  EXPECT_TRUE(NoMessageOpen());
  EXPECT_TRUE(wizard.Running());
}

// Typed text reaches the files in the system code page exactly or not at
// all: a character the code page lacks is refused before anything is
// written, with the field named and focused; one it holds generates.
TEST_F(GenerateTest, AFriendlyNameTheCodePageCannotHoldIsRefusedAndOneItHoldsIsWritten) {
  ASSERT_TRUE(wizard.window());
  if (::GetACP() != 1252) GTEST_SKIP() << "the system code page is " << ::GetACP() << ", not Windows-1252";
  const std::string unheld = "\xCE\xA9mega Caf\xC3\xA9";  // an omega, which a best fit would make an O
  wizard.SetText(edtFriendlyName, unheld);
  Generate();
  const MessageWindow error = NextMessage();
  ExpectNotice(error, "Error", "error",
               "Friendly Name holds a character that code page 1252 cannot hold: \xCE\xA9 (U+03A9).", {80, 200});
  Give(Answer::ClickOk, error);
  EXPECT_TRUE(NoMessageOpen());
  EXPECT_EQ(wizard.FocusId(), edtFriendlyName);
  EXPECT_EQ(wizard.Text(edtFriendlyName), unheld);
  EXPECT_TRUE(ListTree(work.path()).empty());

  wizard.SetText(edtFriendlyName, "Caf\xC3\xA9");
  Generate();
  ExpectGenerated("Access 2000 COM Add-In generated successfully.");
  EXPECT_NE(ReadBytes(work.path() / "Unit1.pas").find("'Caf\xE9',\r\n"), std::string::npos);
}

// Folders as Windows users type them, and texts pasted with half a
// surrogate pair: a form Windows takes lands the project there; one the
// project cannot be written into is refused in an error before anything is
// made, and its box gets the focus.
TEST_F(GenerateTest, TakesTheFolderFormsWindowsTakesAndRefusesTheOthersBeforeMakingAnything) {
  ASSERT_TRUE(wizard.window());
  std::string deep = work.str();
  for (int level = 0; level < 20000; ++level) deep += "\\a";
  std::string forward = work.str();
  std::replace(forward.begin(), forward.end(), '\\', '/');
  const std::string half = " holds U+D800, half of a UTF-16 surrogate pair without its other half, which is no character.";
  const struct {
    const char* what;
    int box;
    std::string text;
    std::string error;           // or, when empty, the project lands in LandsIn, below the working folder
    std::string landsIn = {};
  } cases[] = {
      {"forward slashes", edtFolder, forward + "/x//y/", "", "x/y"},
      {"a trailing blank", edtFolder, work / "x ",
       "Output folder holds the name \"x \", which ends in a blank; Windows would drop the blank and name another "
       "folder."},
      {"a device", edtFolder, work / "x\\CON\\y", "Output folder holds the name \"CON\", which Windows keeps for a device."},
      {"a server without a share", edtFolder, "\\\\server", "Output folder \"\\\\server\" names no folder."},
      {"20,000 levels", edtFolder, deep,
       "Output folder is too long for this project: its longest path, ending in \"AccessAddin1.~dpr\", would be " +
           std::to_string(deep.size() + 18) + " characters, and Windows takes at most 259 in a path."},
      {"half a pair in the folder", edtFolder, work.str() + "\\sur\xED\xA0\x80x", std::string("Output folder") + half},
      {"half a pair in the friendly name", edtFriendlyName, "New \xED\xA0\x80 Add-In", std::string("Friendly Name") + half},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    wizard.SetText(edtFolder, work.str());
    wizard.SetText(edtFriendlyName, "New Access Add-In");
    wizard.SetText(c.box, c.text);
    Generate();
    if (c.error.empty()) {
      Give(Answer::Enter, NextMessage());  // Yes, create it
      ExpectGenerated("Access 2000 COM Add-In generated successfully.");
      EXPECT_EQ(ListTree(work / c.landsIn), kAccessProject);
      fs::remove_all(work.path() / "x");
      continue;
    }
    const MessageWindow error = NextMessage();
    ExpectNotice(error, "Error", "error", c.error, {80, 200});
    Give(Answer::ClickOk, error);
    EXPECT_TRUE(NoMessageOpen());
    EXPECT_EQ(wizard.FocusId(), c.box);
    EXPECT_TRUE(ListTree(work.path()).empty()) << "something was made";
  }
  // A class name Windows keeps for a device is asked about as any name that
  // breaks the project.
  wizard.SetText(edtFolder, work.str());
  wizard.SetText(edtClassName, "Nul");
  Generate();
  const MessageWindow question = NextMessage();
  ExpectConfirmation(question, "Class Name is not valid identifier.\r\nWould you like to revert it to default value?",
                     {50, 200});
  Give(Answer::ClickYes, question);
  EXPECT_EQ(wizard.Text(edtClassName), "AccessAddin1");
  EXPECT_TRUE(ListTree(work.path()).empty());
}

TEST_F(GenerateTest, AnUnexpectedErrorIsShownUnderTheApplicationTitleAndTheDialogStaysOpen) {
  ASSERT_TRUE(wizard.window());
  wizard.SetText(edtFolder, "\\");
  Generate();
  const MessageWindow error = NextMessage();
  EXPECT_EQ(error.title, kCaption);
  EXPECT_EQ(error.text, "Unable to create directory.");
  EXPECT_EQ(error.icon, "error");
  EXPECT_EQ(error.buttons, kOk);
  Give(Answer::Enter, error);
  EXPECT_TRUE(NoMessageOpen());
  EXPECT_EQ(wizard.Text(edtFolder), "\\");

  // Still at work: a second run asks its question as before.
  wizard.SetText(edtClassName, "");
  Generate();
  Give(Answer::Escape, NextMessage());
  EXPECT_TRUE(wizard.Running());
}

TEST_F(GenerateTest, MessagesKeepTheirOffsetEvenOffTheScreen) {
  ASSERT_TRUE(wizard.window());
  const int right = ::GetSystemMetrics(SM_CXSCREEN), bottom = ::GetSystemMetrics(SM_CYSCREEN);
  ::SetWindowPos(wizard.window(), nullptr, right - 60, bottom - 120, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  wizard.Settle();
  wizard.SetText(edtClassName, "not valid");
  Generate();
  const MessageWindow question = NextMessage();
  EXPECT_EQ(question.frame.left, right - 60 + 50) << Describe(question.frame);
  EXPECT_EQ(question.frame.top, bottom - 120 + 200) << Describe(question.frame);
  Give(Answer::Escape, question);
}

// The texts the Generate command hands its view are UTF-8 and may hold any
// character (a refused one, a path the code page cannot hold): the message
// dialogs and the warning box show them exactly, whatever the code page.
TEST(WizardMessages, ShowTheirTextsExactlyWhateverTheirCharacters) {
  TfrmNewOfficeAddIn form;
  const std::string title = "\xCE\xA9 Caf\xC3\xA9";
  // A wave dash, and a folder in kanji and in Cyrillic.
  const std::string text =
      "cannot hold: \xE3\x80\x9C (U+301C), C:\\\xE8\xA1\xA8\\\xD0\xB2\xD1\x8B\xD0\xB2\xD0\xBE\xD0\xB4";
  const struct {
    const char* what;
    std::function<void()> show;
    std::string title;
  } shows[] = {
      {"an error", [&] { form.ShowError(text); }, "Error"},
      {"the warning", [&] { form.ShowWarning(title, text); }, title},
  };
  for (const auto& show : shows) {
    SCOPED_TRACE(show.what);
    MessageWindow seen;
    std::thread user([&] {
      HWND shown = nullptr;
      WaitUntil([&] {
        for (HWND w : VisibleTopLevelWindows(::GetCurrentProcessId()))
          if (ClassOf(w) == "#32770") shown = w;
        return shown != nullptr;
      });
      if (!shown) return;
      seen = ReadMessageWindow(shown);
      ::PostMessageW(shown, WM_COMMAND, IDOK, 0);
    });
    show.show();
    user.join();
    EXPECT_EQ(seen.title, show.title);
    EXPECT_EQ(seen.text, text);
  }
}

// A message costs the wizard nothing once it is closed: a thousand of them
// leave its committed memory where it was. Each once kept a few dozen
// bytes of the heap, some 50 KB a thousand.
TEST_F(GenerateTest, AThousandMessagesLeaveTheCommittedMemoryFlat) {
  ASSERT_TRUE(wizard.window());
  WriteBytes(work.path() / "plain-file", "x");
  wizard.SetText(edtFolder, work / "plain-file\\sub");
  // Two messages a run: create the folder? Yes; it cannot be created.
  const auto generateTwice = [&](int runs) {
    for (int run = 0; run < runs; ++run) {
      ::PostMessageA(wizard.Control(btnOk), BM_CLICK, 0, 0);
      if (!wizard.Dismiss("Confirm", IDYES) || !wizard.Dismiss("Error", IDOK)) return false;
    }
    return true;
  };
  ASSERT_TRUE(generateTwice(50)) << "warming up";  // the heap finds its size
  const std::size_t before = wizard.CommittedMemory();
  ASSERT_TRUE(generateTwice(500));
  const std::size_t after = wizard.CommittedMemory();
  ASSERT_GT(before, 0u);
  // Four pages of 4 KB: 16 bytes a message at most, a third of what each kept.
  EXPECT_LE(after, before + 16 * 1024) << "from " << before << " to " << after << " bytes";
}

}  // namespace
}  // namespace quillfern::testing
