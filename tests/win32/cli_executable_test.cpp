// quillfern-cli.exe itself, run as a child process: its exit status, what
// it prints, and the files it writes, compared with the files every build
// is held to, with and without a registered host.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "support/win32_support.h"

namespace quillfern::testing {
namespace {

// The committed Word 2000 project, apart from every occurrence of Host; and
// the library search path beside the program.
void ExpectTheCommittedProject(const std::string& folder, const std::string& host) {
  const fs::path expected = fs::path(QUILLFERN_TEST_DATA) / "word-2000-defaults";
  for (const std::string& file : ProjectFileNames("WordAddin1"))
    EXPECT_TRUE(SameBytes(ReadBytes(expected / file), Normalised(ReadBytes(folder + "\\" + file), file, host)))
        << file;
  EXPECT_EQ(ListTree(folder), ProjectFileSet("WordAddin1"));
  EXPECT_EQ(CrLfLines(ReadBytes(folder + "\\WordAddin1.dof")).at(1), "SearchPath=" + ProgramFolder() + "LibraryFiles");
}

// The number of times Text stands in the project's files.
std::size_t Occurrences(const std::string& folder, const std::string& text) {
  std::size_t count = 0;
  for (const std::string& file : ProjectFileNames("WordAddin1")) {
    const std::string bytes = ReadBytes(folder + "\\" + file);
    for (std::size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) ++count;
  }
  return count;
}

// A console program's standard streams are in text mode: lines end in CR LF.
TEST(CliExecutable, WritesTheCommittedProjectWithAWarningOrTheRegisteredHostInLongForm) {
  TempFolder temp;
  // Where Word is installed (a real Windows machine may have it), there is
  // no warning to see; the registered host below is checked either way.
  if (!AppPathKeyExists("winword.exe")) {
    const std::string plain = temp / "plain";
    const ProcessResult r = RunCliExecutable({"-a", "Word", "-V", "2000", "-o", plain});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(r.out, "Word 2000 COM Add-In generated successfully.\r\n");
    EXPECT_EQ(r.err,
              "warning: It does not appear that you have Word installed.\r\n"
              "warning: You might not be able to run and debug the Add-In on this computer.\r\n");
    ExpectTheCommittedProject(plain, "");
  }

  // Registered by its short form, the host stands in its long form in the
  // project source, the options, the unit and the read-me; no warning.
  fs::create_directories(temp.path() / "Microsoft Office" / "Office");
  const std::string host = temp / "Microsoft Office\\Office\\WINWORD.EXE";
  WriteBytes(host, "MZ");
  const std::string shortForm = ShortPathOf(host);
  ASSERT_NE(shortForm.find('~'), std::string::npos) << shortForm;
  ScopedAppPath entry("winword.exe");
  entry.SetDefaultText(shortForm);
  const std::string found = temp / "found";
  const ProcessResult r = RunCliExecutable({"-a", "Word", "-V", "2000", "-o", found});
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_EQ(r.out, "Word 2000 COM Add-In generated successfully.\r\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Occurrences(found, host), 4u);
  ExpectTheCommittedProject(found, host);
}

}  // namespace
}  // namespace quillfern::testing
