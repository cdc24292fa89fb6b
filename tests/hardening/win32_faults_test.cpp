// Faults the Windows build meets: paths at and past MAX_PATH, characters
// the file system refuses, a drive that maps a place nobody may write, high
// bytes of the ANSI code page, and a file of the set held open without
// sharing while the command-line generator, another process, writes.
#include <windows.h>

#include <algorithm>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"
#include "support/cli_support.h"
#include "support/command_support.h"
#include "support/win32_support.h"

namespace quillfern::testing {
namespace {

const std::vector<std::string> kSet = ProjectFileNames("ExcelAddin1");

// Whatever the system allows, what the run reports (and the command line
// says from it) matches the disk: success means seven files; a failure has
// the system's reason, and the folders and files it names as made are there
// and no others of the set.
void ExpectOutcomeMatchesDisk(const command::GenerateOutcome& o, const std::string& folder) {
  using command::Failed;
  const auto* failed = std::get_if<Failed>(&o);
  ASSERT_TRUE(failed || std::holds_alternative<command::Generated>(o)) << StateOf(o);
  const auto* write = failed ? std::get_if<Failed::WriteFiles>(&failed->step) : nullptr;
  const std::size_t written = !failed ? kSet.size() : write ? write->report.FilesWritten : 0;
  if (failed) {
    EXPECT_TRUE(std::visit(command::Overloaded{[](const Failed::WriteFiles& w) { return w.report.Error; },
                                               [](const auto& folderStep) { return folderStep.error; }},
                           failed->step))
        << "no reason";
  }
  for (const std::string& made : failed ? failed->createdFolders : std::get<command::Generated>(o).createdFolders)
    EXPECT_TRUE(platform::FolderExists(made)) << made;
  for (std::size_t i = 0; i < kSet.size(); ++i)
    EXPECT_EQ(platform::FileExists(folder + "\\" + kSet[i]), i < written) << kSet[i];
}

// The longest path the project writes is the folder, a backslash and
// "ExcelAddin1.~dpr", the project source's backup: up to 259 characters the
// project is written whole; past them it is refused before a folder is made.
TEST(Win32LongPaths, FoldersAroundMaxPathAreWrittenWholeOrRefusedBeforeAnythingIsMade) {
  for (const std::size_t length : {200u, 240u, 241u, 242u, 243u, 244u, 247u, 255u, 259u, 260u, 300u}) {
    TempFolder temp;
    std::string folder = temp.str() + "\\";
    while (folder.size() < length) folder += std::string(std::min<std::size_t>(60, length - folder.size()), 'p') + "\\";
    folder.resize(length);
    if (folder.back() == '\\') folder.back() = 'q';
    SCOPED_TRACE(std::to_string(folder.size()) + " characters");
    RecordingView view(NewProjectSettings(1, 1, folder));
    const command::GenerateOutcome o = command::RunGenerateCommand(view);
    const std::size_t longest = folder.size() + sizeof "\\ExcelAddin1.~dpr" - 1;
    if (longest <= 259) {
      EXPECT_EQ(StateOf(o), "generated");
      ExpectOutcomeMatchesDisk(o, folder);
      continue;
    }
    const auto* refused = std::get_if<command::Refused>(&o);
    ASSERT_TRUE(refused && refused->textProblem) << StateOf(o);
    EXPECT_EQ(refused->textProblem->kind, command::TextProblem::Kind::PathTooLong);
    EXPECT_EQ(refused->textProblem->length, longest);
    EXPECT_FALSE(fs::exists(fs::u8path(temp / std::string(60, 'p')))) << "a folder was made for a refused path";
  }
}

// After \\?\ Windows takes every name as written, a trailing blank among
// them: the project lands in the folder of that very name.
TEST(Win32OddNames, ALiteralPathKeepsTheTrailingBlankOfItsLastName) {
  TempFolder temp;
  const std::string literal = "\\\\?\\" + temp / "x ";
  const CliResult r = RunCliWith({"-o", literal});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(platform::FolderExists(temp / "x")) << "the blank was dropped";
  // Only a literal path reaches the folder and its files, and takes them away again.
  for (const std::string& name : ProjectFileNames("AccessAddin1")) {
    const std::wstring file = platform::Utf16FromUtf8(literal + "\\" + name);
    EXPECT_TRUE(platform::FileExists(literal + "\\" + name)) << name;
    ::DeleteFileW(file.c_str());
  }
  EXPECT_TRUE(::RemoveDirectoryW(platform::Utf16FromUtf8(literal).c_str())) << ::GetLastError();
}

TEST(Win32OddNames, CharactersWindowsRefusesInNamesAreNamedAndCreateNothing) {
  TempFolder temp;
  for (const char c : std::string("<>\"|?*:")) {
    const std::string folder = temp.str() + "\\bad" + c + "name\\below";
    SCOPED_TRACE(folder);
    const CliResult r = RunCliWith({"-o", folder});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("error: Output folder holds the name \"bad" + std::string(1, c) + "name\", and Windows takes no " +
                              std::string(1, c) + " (U+00",
                          0),
              0u)
        << r.err;
  }
  EXPECT_TRUE(ListTree(temp.path()).empty());
}

// The folder is named as typed whatever the system code page holds; the
// friendly name goes into the files in the code page (Windows-1252 here:
// an e with acute is 0xE9).
TEST(Win32OddNames, BlanksAndCharactersOfAnyScriptAreKeptInFolderAndText) {
  TempFolder temp;
  const std::string folder = temp / "with blanks Caf\u00e9 \u03a9x \u8868 dir";
  const bool western = ::GetACP() == 1252;
  const CliResult r = RunCliWith(
      {"-a", "Excel", "-V", "XP", "-o", folder, "-f", western ? "Caf\u00e9 <>:\"|?*" : "Caf <>:\"|?*"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ListTree(temp.path()).count("with blanks Caf\u00e9 \u03a9x \u8868 dir/Unit1.pas"), 1u) << r.err;
  EXPECT_NE(ReadBytes(fs::u8path(folder) / "Unit1.pas").find(western ? "'Caf\xE9 <>:\"|?*'," : "'Caf <>:\"|?*',"),
            std::string::npos);
}

// In code pages 932, 936 and 950 the second byte of these characters is a
// backslash. A folder named with one at its end is that folder, with or
// without a trailing backslash, there or yet to be made: the project lands
// in it, and nothing is made or written beside it.
TEST(Win32OddNames, FoldersEndingInACharacterWhoseSecondByteIsABackslashGetTheProject) {
  const struct {
    const char* name;
    unsigned codePage;  // where its last byte is 5C
  } characters[] = {{"\u8868", 932}, {"\u30bd", 932}, {"\u80fd", 932}, {"\u8a31", 950}, {"\u529f", 950}};
  for (const auto& [name, codePage] : characters) {
    ASSERT_EQ(platform::ToCodePage(name, codePage).bytes.back(), '\\') << name << " in " << codePage;
    for (const bool existing : {true, false}) {
      for (const char* trailing : {"", "\\"}) {
        TempFolder temp;
        // A missing one as in "new ソ": a split at the backslash byte would make "new " in its stead.
        const std::string folderName = std::string(existing ? "" : "new ") + name;
        if (existing) fs::create_directory(fs::u8path(temp / folderName));
        SCOPED_TRACE(folderName + trailing + (existing ? ", existing" : ", missing"));
        const CliResult r = RunCliWith({"-a", "Excel", "-V", "XP", "-o", temp / folderName + trailing});
        EXPECT_EQ(r.status, 0) << r.err;
        std::set<std::string> expected{folderName + "/"};
        for (const std::string& file : kSet) expected.insert(folderName + "/" + file);
        EXPECT_EQ(ListTree(temp.path()), expected);
      }
    }
  }
}

TEST(Win32ReadOnlyPlaces, ADriveOntoProcIsRefusedWithItsReason) {
  // Wine maps Z: to the host's root, and procfs takes no new files from anyone.
  if (!platform::FolderExists("Z:\\proc\\")) GTEST_SKIP() << "no Z: drive onto the host's root";
  const CliResult create = RunCliWith({"-o", "Z:\\proc\\quillfern"});
  EXPECT_EQ(create.status, 1);
  EXPECT_NE(create.err.find("error: Unable to create output folder.\nerror: could not create Z:\\proc\\quillfern: "),
            std::string::npos)
      << create.err;
  const CliResult write = RunCliWith({"-o", "Z:\\proc"});
  EXPECT_EQ(write.status, 1);
  EXPECT_NE(write.err.find("error: Output folder is write protected.\nerror: no file can be made in Z:\\proc: "),
            std::string::npos)
      << write.err;
}

TEST(Win32Locks, AFileHeldWithoutSharingStopsTheCliThereAndItSaysWhatStays) {
  TempFolder temp;
  const std::string folder = temp.str();
  ASSERT_EQ(RunCliWith({"-a", "Excel", "-V", "XP", "-o", folder}).status, 0);
  const std::string before = ReadBytes(fs::path(folder) / "Readme.txt");
  const std::string unitBefore = ReadBytes(fs::path(folder) / "Unit1.pas");
  // This process holds Install.bat open without sharing; the CLI is another process.
  platform::win32::ScopedFile held(::CreateFileA((folder + "\\Install.bat").c_str(), GENERIC_READ, 0, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  const ProcessResult r = RunCliExecutable({"-a", "Excel", "-V", "XP", "--force", "-o", folder});
  held.Reset();
  EXPECT_EQ(r.exitCode, 1u) << r.err;
  // Held, it can be neither read to be kept nor written.
  EXPECT_NE(r.err.find("error: Unable to write project files.\r\nerror: could not back up " + folder +
                       "\\Install.bat as Install.~bat: "),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("; it was left as it was; the project is incomplete: written and left in place: "
                       "ExcelAddin1.dpr, ExcelAddin1.dof, ExcelAddin1.tlb, Unit1.pas; "
                       "not written: Install.bat, Uninstall.bat, Readme.txt; earlier files kept as backups: Unit1.~pas"),
            std::string::npos)
      << r.err;
  EXPECT_NE(ReadBytes(fs::path(folder) / "Unit1.pas"), unitBefore) << "a file before the held one was not written";
  EXPECT_EQ(ReadBytes(fs::path(folder) / "Unit1.~pas"), unitBefore);
  EXPECT_FALSE(fs::exists(fs::path(folder) / "Install.~bat"));
  EXPECT_EQ(ReadBytes(fs::path(folder) / "Readme.txt"), before) << "a file after the held one was written";
  EXPECT_GT(fs::file_size(fs::path(folder) / "Install.bat"), 0u) << "the held file lost its bytes";
  // Released, the same run goes through: the lock was the only obstacle.
  EXPECT_EQ(RunCliExecutable({"-a", "Excel", "-V", "XP", "--force", "-o", folder}).exitCode, 0u);
}

TEST(Win32Links, AHardLinkedFileOfTheSetIsReplacedAndTheOtherNameKeepsItsBytes) {
  TempFolder temp;
  const std::string folder = temp / "project";
  const std::string outside = temp / "outside.txt";
  fs::create_directory(folder);
  WriteBytes(outside, "precious");
  for (const char* name : {"Unit1.pas", "Readme.txt"})
    ASSERT_TRUE(::CreateHardLinkA((folder + "\\" + name).c_str(), outside.c_str(), nullptr)) << name;
  const CliResult r = RunCliWith({"-a", "Excel", "-V", "XP", "-o", folder, "--force"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadBytes(outside), "precious");
  EXPECT_NE(ReadBytes(fs::path(folder) / "Unit1.pas"), "precious");
  EXPECT_NE(ReadBytes(fs::path(folder) / "Readme.txt"), "precious");
}

// The command-line generator ended from outside (TerminateProcess: no
// handler runs) at random moments from when it holds the folder: a sample of
// the kill points the Linux build's test goes through one by one. Each time
// nothing earlier is lost and no file is cut, and a retry completes.
TEST(Win32Kills, EndedWhileWritingItLosesNothingAndARetryCompletes) {
  TempFolder temp;
  ::SetEnvironmentVariableW(L"SOURCE_DATE_EPOCH", L"1700000000");  // the retry writes the same bytes
  const std::string base = temp / "base", newer = temp / "newer", work = temp / "work";
  const auto cli = [](const char* app, const char* className, const char* id, const std::string& folder) {
    return std::vector<std::string>{"-a", app, "-c", className, "--class-id", id, "-o", folder};
  };
  ASSERT_EQ(RunCliExecutable(cli("Excel", "FirstAddin", "{11111111-2222-3333-4444-555555555555}", base)).exitCode, 0u);
  const std::vector<std::string> second = cli("Word", "SecondAddin", "{22222222-2222-3333-4444-555555555555}", work);
  ASSERT_EQ(RunCliExecutable(cli("Word", "SecondAddin", "{22222222-2222-3333-4444-555555555555}", newer)).exitCode, 0u);
  const FileBytes earlier = FilesIn(fs::u8path(base)), written = FilesIn(fs::u8path(newer));
  const std::wstring lock = platform::Utf16FromUtf8(work + "\\" + platform::kLockFileName);
  std::mt19937 random(20261210);
  int endedWhileHeld = 0, endedMidWay = 0;
  for (int sample = 0; sample < 12; ++sample) {
    fs::remove_all(fs::u8path(work));
    fs::copy(fs::u8path(base), fs::u8path(work));
    platform::win32::ScopedFile nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ::SetHandleInformation(nul.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    const platform::win32::ScopedFile process = StartProcess(CliCommandLine(second), nul.get(), nul.get(), nul.get());
    ASSERT_TRUE(process);
    // From the moment the folder is held: a few milliseconds later is the writing.
    while (::GetFileAttributesW(lock.c_str()) == INVALID_FILE_ATTRIBUTES &&
           ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
    }
    ::Sleep(std::uniform_int_distribution<DWORD>(0, 60)(random));
    if (::TerminateProcess(process.get(), 9)) ++endedWhileHeld;
    ::WaitForSingleObject(process.get(), INFINITE);
    const std::string what = "sample " + std::to_string(sample);
    const FileBytes left = FilesIn(fs::u8path(work));
    if (left != earlier && !(left.count("Readme.txt") && left.at("Readme.txt") == written.at("Readme.txt"))) ++endedMidWay;
    EXPECT_TRUE(NothingLost(earlier, fs::u8path(work))) << what;
    EXPECT_TRUE(NoCutFile(earlier, written, fs::u8path(work))) << what;
    std::vector<std::string> retry = second;
    retry.push_back("--force");
    const ProcessResult again = RunCliExecutable(retry);
    EXPECT_EQ(again.exitCode, 0u) << what << ": " << again.err;
    EXPECT_TRUE(NothingLost(earlier, fs::u8path(work))) << what << ", after the retry";
    EXPECT_EQ(FilesIn(fs::u8path(work)).at("Unit1.pas"), written.at("Unit1.pas")) << what;
    EXPECT_TRUE(generator::StagingLeftovers(work).empty()) << what;
    EXPECT_FALSE(fs::exists(fs::u8path(work) / platform::kLockFileName)) << what << ": the lock file outlived its run";
  }
  ::SetEnvironmentVariableW(L"SOURCE_DATE_EPOCH", nullptr);
  std::cout << endedWhileHeld << " of 12 runs ended from outside while they held the folder, " << endedMidWay
            << " of them part way through the files\n";
}

}  // namespace
}  // namespace quillfern::testing
