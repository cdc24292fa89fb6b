// quillfern-cli.exe itself, run as a child process: its exit status, what
// it prints, and the files it writes, compared with the files every build
// is held to, with and without a registered host.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/probes.h"

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

// SOURCE_DATE_EPOCH for the children this process starts, while the owner
// lives; what stood before is put back.
class ScopedSourceDateEpoch {
 public:
  explicit ScopedSourceDateEpoch(const char* value) {
    char previous[64];
    const DWORD n = ::GetEnvironmentVariableA(kName, previous, sizeof previous);
    if (n > 0 && n < sizeof previous) previous_ = std::string(previous, n);
    ::SetEnvironmentVariableA(kName, value);
  }
  ScopedSourceDateEpoch(const ScopedSourceDateEpoch&) = delete;
  ScopedSourceDateEpoch& operator=(const ScopedSourceDateEpoch&) = delete;
  ~ScopedSourceDateEpoch() { ::SetEnvironmentVariableA(kName, previous_ ? previous_->c_str() : nullptr); }

 private:
  static constexpr const char* kName = "SOURCE_DATE_EPOCH";
  std::optional<std::string> previous_;
};

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

// The executable reads SOURCE_DATE_EPOCH from its environment: with it and
// --class-id two runs write the same bytes; a malformed value is refused.
TEST(CliExecutable, AFixedClassIdAndMomentGiveTheSameBytesEveryRun) {
  TempFolder temp;
  const std::vector<std::string> args = {"-a", "Word", "--class-id", "{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}", "-o"};
  {
    const ScopedSourceDateEpoch epoch("1700000000");
    for (const char* run : {"A", "B"}) {
      std::vector<std::string> into = args;
      into.push_back(temp / run);
      const ProcessResult r = RunCliExecutable(into);
      ASSERT_EQ(r.exitCode, 0u) << r.err;
    }
  }
  for (const std::string& file : ProjectFileNames("WordAddin1"))
    EXPECT_TRUE(SameBytes(ReadBytes(temp / "A\\" + file), ReadBytes(temp / "B\\" + file))) << file;
  EXPECT_EQ(Occurrences(temp / "A", "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}"), 1u);
  EXPECT_EQ(CrLfLines(ReadBytes(temp / "A\\Readme.txt")).at(0),
            "Generated on " + platform::DateTimeText({2023, 11, 14, 22, 13, 20}) + " by \"Quillfern 1.0\"");

  const ScopedSourceDateEpoch malformed("1.5");
  std::vector<std::string> into = args;
  into.push_back(temp / "C");
  const ProcessResult refused = RunCliExecutable(into);
  EXPECT_EQ(refused.exitCode, 2u);
  EXPECT_EQ(refused.err.rfind("error: SOURCE_DATE_EPOCH '1.5' is not a whole non-negative number", 0), 0u) << refused.err;
  EXPECT_FALSE(fs::exists(temp.path() / "C"));
}

}  // namespace
}  // namespace quillfern::testing
