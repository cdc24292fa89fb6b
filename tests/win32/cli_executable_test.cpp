// quillfern-cli.exe itself, run as a child process: its exit status, what
// it prints, and the files it writes, compared with the files every build
// is held to, with and without a registered host.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"
#include "support/test_support.h"
#include "support/win32_support.h"

namespace quillfern::testing {
namespace {

using platform::Utf16FromUtf8;
using platform::Utf8FromUtf16;
using platform::win32::ScopedFile;

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

// True when both paths (UTF-8) name the same existing file or folder.
bool SameFile(const std::string& a, const std::string& b) {
  const auto identity = [](const std::string& path) {
    const ScopedFile file(::CreateFileW(Utf16FromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.get(), &info)) return std::string();
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
  };
  const std::string first = identity(a);
  return !first.empty() && first == identity(b);
}

// Bytes (in the system code page) as text, or empty when they are not text there.
std::string FromSystemCodePage(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  if (n <= 0 || ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      wide.data(), n) != n)
    return {};
  return Utf8FromUtf16(wide);
}

// What a generated file says of Path: Written names that very file or
// folder (exactly or by its short form), or is empty and the warning that
// begins with Warning was given; never a look-alike.
void ExpectNamedOrLeftOutWithAWarning(const std::string& written, const std::string& path, const std::string& err,
                                      const std::string& warning) {
  SCOPED_TRACE(path);
  if (written.empty()) {
    EXPECT_NE(err.find("warning: " + warning), std::string::npos) << err;
  } else {
    EXPECT_TRUE(SameFile(FromSystemCodePage(written), path)) << "a look-alike: " << written;
    EXPECT_EQ(err.find(warning), std::string::npos) << err;
  }
}

// The program copied with its library folder into a folder of a name the
// system code page may not hold, and a host application beside it.
TEST(CliExecutable, WritesItsOwnPathsExactlyByTheirShortFormOrNotAtAllWithAWarning) {
  const std::string codePage = std::to_string(::GetACP());
  for (const char* name : {"Caf\u00e9", "\u03a9x\u8868"}) {
    SCOPED_TRACE(name);
    TempFolder temp;
    const std::string home = temp / name, library = home + "\\LibraryFiles", host = home + "\\WINWORD.EXE";
    ASSERT_TRUE(fs::create_directories(fs::u8path(library)));
    WriteBytes(fs::u8path(host), "MZ");
    const std::string program = home + "\\quillfern-cli.exe";
    ASSERT_TRUE(::CopyFileW(Utf16FromUtf8(ProgramFolder() + "quillfern-cli.exe").c_str(),
                            Utf16FromUtf8(program).c_str(), TRUE));
    ScopedAppPath entry("winword.exe");
    entry.SetDefaultText(host);

    const std::string out = temp / "out";
    const ProcessResult r = RunProcess(CliCommandLine({"-a", "Word", "-V", "2000", "-o", out}, program));
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    const std::vector<std::string> dof = CrLfLines(ReadBytes(fs::u8path(out) / "WordAddin1.dof"));
    ASSERT_EQ(dof.at(1).rfind("SearchPath=", 0), 0u);
    ASSERT_EQ(dof.at(4).rfind("HostApplication=", 0), 0u);
    ExpectNamedOrLeftOutWithAWarning(dof[1].substr(11), library, r.err,
                                     "The folder of the library units, " + library +
                                         ", cannot be written in code page " + codePage + ".\r\n");
    const std::string hostWritten = dof[4].substr(16);
    ExpectNamedOrLeftOutWithAWarning(hostWritten, host, r.err,
                                     "The path of Word, " + host + ", cannot be written in code page " + codePage +
                                         ".\r\n");
    if (!hostWritten.empty()) {
      EXPECT_EQ(Occurrences(out, hostWritten), 4u) << "the .dpr, the .dof, the unit and the read-me";
    }
  }
}

}  // namespace
}  // namespace quillfern::testing
