// quillfern-cli.exe itself, run as a child process: its exit status, what
// it prints, and the files it writes, compared with the files every build
// is held to.
#include <windows.h>

#include <regex>

#include <gtest/gtest.h>

#include "platform/probes.h"
#include "support/test_support.h"
#include "win32/win32_test_support.h"

namespace quillfern {
namespace {

namespace fs = std::filesystem;
using testing::CrLfLines;
using testing::ReadBytes;
using testing::SameBytes;
using testing::win32::ProcessResult;
using testing::win32::ProgramFolder;
using testing::win32::Quote;
using testing::win32::RunProcess;
using testing::win32::ScopedAppPath;
using testing::win32::ShortPathOf;

const char* const kFiles[] = {"WordAddin1.dpr", "WordAddin1.dof", "WordAddin1.tlb", "Unit1.pas",
                              "Install.bat",    "Uninstall.bat",  "Readme.txt"};

// A folder in the root of drive C that does not exist yet, removed with its
// files afterwards.
class FreshFolderOnC {
 public:
  FreshFolderOnC() : path_("C:\\QuillfernOut" + std::to_string(::GetCurrentProcessId())) {
    EXPECT_FALSE(platform::FolderExists(path_)) << path_;
  }
  FreshFolderOnC(const FreshFolderOnC&) = delete;
  FreshFolderOnC& operator=(const FreshFolderOnC&) = delete;
  ~FreshFolderOnC() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A console program's standard streams are in text mode: lines end in CR LF.
ProcessResult RunCli(const std::string& arguments) {
  return RunProcess(Quote(ProgramFolder() + "quillfern-cli.exe") + " " + arguments);
}

// The file as every build writes it: the class identifier, the date, the
// library search path and the host path made the same.
std::string Normalised(const std::string& folder, const std::string& file, const std::string& host) {
  std::string bytes = ReadBytes(folder + "\\" + file);
  bytes = std::regex_replace(
      bytes, std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}"), "{GUID}");
  if (file == "Readme.txt")
    bytes = std::regex_replace(bytes, std::regex("^Generated on [^\r\n]* by "), "Generated on <DATE> by ");
  if (file == "WordAddin1.dof")
    bytes = std::regex_replace(bytes, std::regex("SearchPath=[^\r\n]*"), "SearchPath=<SEARCHPATH>");
  if (!host.empty()) {
    for (std::size_t at; (at = bytes.find(host)) != std::string::npos;) bytes.erase(at, host.size());
  }
  return bytes;
}

void ExpectTheCommittedProject(const std::string& folder, const std::string& host) {
  const fs::path expected = fs::path(QUILLFERN_TEST_DATA) / "word-2000-defaults";
  for (const char* file : kFiles)
    EXPECT_TRUE(SameBytes(ReadBytes(expected / file), Normalised(folder, file, host))) << file;
  EXPECT_EQ(testing::ListTree(folder).size(), 7u);
  const auto options = CrLfLines(ReadBytes(folder + "\\WordAddin1.dof"));
  ASSERT_GE(options.size(), 2u);
  EXPECT_EQ(options[1], "SearchPath=" + ProgramFolder() + "LibraryFiles");
}

TEST(CliExecutable, WritesTheCommittedWordProjectAndWarnsWithoutAHost) {
  ASSERT_FALSE(testing::win32::AppPathKeyExists("winword.exe"));
  const FreshFolderOnC out;
  const ProcessResult r = RunCli("-a Word -V 2000 -o " + Quote(out.path()));
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_EQ(r.out, "Word 2000 COM Add-In generated successfully.\r\n");
  EXPECT_EQ(r.err,
            "warning: It does not appear that you have Word installed.\r\n"
            "warning: You might not be able to run and debug the Add-In on this computer.\r\n");
  ExpectTheCommittedProject(out.path(), "");
}

TEST(CliExecutable, PutsTheRegisteredHostInLongFormIntoTheFourPlaces) {
  testing::TempFolder office;
  fs::create_directories(office.path() / "Microsoft Office" / "Office");
  const std::string host = office / "Microsoft Office\\Office\\WINWORD.EXE";
  testing::WriteBytes(host, "MZ");
  const std::string shortForm = ShortPathOf(host);
  ASSERT_NE(shortForm.find('~'), std::string::npos) << shortForm;
  ScopedAppPath entry("winword.exe");
  entry.SetDefaultText(shortForm);

  const FreshFolderOnC out;
  const ProcessResult r = RunCli("-a Word -V 2000 -o " + Quote(out.path()));
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_EQ(r.out, "Word 2000 COM Add-In generated successfully.\r\n");
  EXPECT_EQ(r.err, "");

  const auto lines = [&](const char* file) { return CrLfLines(ReadBytes(out.path() + "\\" + file)); };
  const auto dpr = lines("WordAddin1.dpr"), dof = lines("WordAddin1.dof");
  const auto unit = lines("Unit1.pas"), readme = lines("Readme.txt");
  ASSERT_TRUE(dpr.size() > 12 && dof.size() > 4 && unit.size() > 20 && readme.size() > 25);
  EXPECT_EQ(dpr[12], "  " + host);
  EXPECT_EQ(dof[4], "HostApplication=" + host);
  EXPECT_EQ(unit[20], "  " + host);
  EXPECT_EQ(readme[25], host);
  ExpectTheCommittedProject(out.path(), host);
}

TEST(CliExecutable, ReportsAnUnwritableFolderWithStatusOne) {
  testing::TempFolder dir;
  testing::WriteBytes(dir / "file", "x");
  const ProcessResult r = RunCli("-a Word -o " + Quote(dir / "file\\sub"));
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_EQ(r.out, "");
  const std::string first = "error: Unable to create output folder.\r\n";
  EXPECT_EQ(r.err.substr(0, first.size()), first);
  EXPECT_NE(r.err.find("error: could not create " + dir / "file" + ": "), std::string::npos) << r.err;
}

}  // namespace
}  // namespace quillfern
