// quillfern-cli.exe itself, run as a child process: its exit status, what
// it prints, and the files it writes, compared with the files every build
// is held to, with and without a registered host.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"
#include "support/cli_support.h"
#include "support/generator_support.h"
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
            "Generated on " + ReadmeDate({2023, 11, 14, 22, 13, 20}, ::GetACP()) + " by \"Quillfern 1.0\"");

  const ScopedSourceDateEpoch malformed("1.5");
  std::vector<std::string> into = args;
  into.push_back(temp / "C");
  const ProcessResult refused = RunCliExecutable(into);
  EXPECT_EQ(refused.exitCode, 2u);
  EXPECT_EQ(refused.err.rfind("error: SOURCE_DATE_EPOCH '1.5' is not a whole non-negative number", 0), 0u) << refused.err;
  EXPECT_FALSE(fs::exists(temp.path() / "C"));
}

// The first line of Err that is an error, without its line end.
std::string FirstError(const std::string& err) {
  const std::size_t at = err.find("error: ");
  return at == std::string::npos ? "" : err.substr(at, err.find("\r\n", at) - at);
}

// The folder forms run through the executable, as Windows hands it its
// command line: each makes the folder the form names and nothing else, or is
// refused with its exit status; its dry run ends the same way and leaves
// every entry of the prefix's drive as it was.
TEST(CliExecutable, TakesEachFolderFormAsWindowsDoesAndADryRunChangesNothingInThePrefix) {
  std::vector<FolderForm> forms = FolderForms();
  // Nothing can be made on a drive that is not there; looking tells as much.
  const std::string drive = UnusedDrive();
  ASSERT_NE(drive, "");
  forms.push_back({"a drive that is not there", drive + "\\x", 1, {}, "Unable to create output folder."});
  for (const FolderForm& form : forms) {
    const std::string text = FolderText(form, "C:\\x");
    if (text.size() > 30000) continue;  // longer than a command line can be
    SCOPED_TRACE(form.what);
    TempFolder temp;
    if (form.inAFileWay) WriteBytes(temp / "file", "x");
    const ScopedWorkingDirectory inside(temp.path());
    std::vector<std::string> args = {"-o", FolderText(form, temp.str())};
    args.insert(args.end(), form.extra.begin(), form.extra.end());
    std::vector<std::string> dryRun = args;
    dryRun.push_back("--dry-run");
    const std::set<std::string> prefix = ListPrefix();
    const ProcessResult planned = RunCliExecutable(dryRun);
    EXPECT_EQ(planned.exitCode, static_cast<DWORD>(form.status)) << "dry run: " << planned.err;
    EXPECT_EQ(ListPrefix(), prefix) << "the dry run changed the prefix";
    const ProcessResult real = RunCliExecutable(args);
    EXPECT_EQ(real.exitCode, static_cast<DWORD>(form.status)) << real.err;
    EXPECT_EQ(ListTree(temp.path()), TreeAfter(form)) << real.err;
    if (form.status != 0) {
      EXPECT_NE(FirstError(real.err).find(form.error), std::string::npos) << real.err;
      EXPECT_EQ(FirstError(planned.err), FirstError(real.err));
    }
  }
}

// Half a surrogate pair anywhere on the command line or in SOURCE_DATE_EPOCH
// is refused by its code unit before anything is done; no U+FFFD stands in
// for it.
TEST(CliExecutable, RefusesHalfASurrogatePairAsGivenNamingTheArgument) {
  TempFolder temp;
  const std::string half = "\xED\xB0\x80";  // U+DC00 in WTF-8, which the command line passes on as it is
  const ProcessResult folder = RunCliExecutable({"-o", temp / "sur" + half + "x"});
  EXPECT_EQ(folder.exitCode, 2u);
  EXPECT_EQ(folder.err, "error: Argument 2 holds U+DC00, half of a UTF-16 surrogate pair without its other half, which "
                        "is no character.\r\n");
  const ProcessResult name = RunCliExecutable({"-a", "Word", "-f", half, "-o", temp / "out"});
  EXPECT_EQ(name.exitCode, 2u);
  EXPECT_EQ(FirstError(name.err).rfind("error: Argument 4 holds U+DC00", 0), 0u) << name.err;
  {
    ::SetEnvironmentVariableW(L"SOURCE_DATE_EPOCH", L"17\xD800");
    const ProcessResult epoch = RunCliExecutable({"-o", temp / "out"});
    ::SetEnvironmentVariableW(L"SOURCE_DATE_EPOCH", nullptr);
    EXPECT_EQ(epoch.exitCode, 2u);
    EXPECT_EQ(FirstError(epoch.err).rfind("error: SOURCE_DATE_EPOCH holds U+D800", 0), 0u) << epoch.err;
  }
  EXPECT_TRUE(ListTree(temp.path()).empty());
}

// A console of this process's own while the owner lives, on which the
// programs it runs write; the process's standard handles are put back
// afterwards.
class ScopedConsole {
 public:
  ScopedConsole() {
    ::FreeConsole();
    if (!::AllocConsole()) return;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    screen_ = ScopedFile(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherited, OPEN_EXISTING, 0, nullptr));
  }
  ScopedConsole(const ScopedConsole&) = delete;
  ScopedConsole& operator=(const ScopedConsole&) = delete;
  ~ScopedConsole() {
    screen_.Reset();
    ::FreeConsole();
    for (const auto& [which, handle] : kept_) ::SetStdHandle(which, handle);
  }
  explicit operator bool() const { return static_cast<bool>(screen_); }

  // Runs the command line with the console as its standard output and
  // error, to its end; its exit code.
  DWORD Run(const std::string& commandLine) const {
    const ScopedFile process = StartProcess(commandLine, nullptr, screen_.get(), screen_.get());
    DWORD code = ~DWORD{0};
    if (process && ::WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0)
      ::GetExitCodeProcess(process.get(), &code);
    return code;
  }

  // The rows written so far, in UTF-8, without their trailing blanks.
  std::vector<std::string> Rows() const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(screen_.get(), &info)) return {};
    std::vector<std::string> rows;
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y < info.dwCursorPosition.Y; ++y) {
      DWORD read = 0;
      ::ReadConsoleOutputCharacterW(screen_.get(), row.data(), info.dwSize.X, COORD{0, y}, &read);
      const std::wstring text = row.substr(0, std::min<std::size_t>(read, row.size()));
      rows.push_back(Utf8FromUtf16(text.substr(0, text.find_last_not_of(L' ') + 1)));
    }
    return rows;
  }

 private:
  const std::pair<DWORD, HANDLE> kept_[3] = {{STD_INPUT_HANDLE, ::GetStdHandle(STD_INPUT_HANDLE)},
                                             {STD_OUTPUT_HANDLE, ::GetStdHandle(STD_OUTPUT_HANDLE)},
                                             {STD_ERROR_HANDLE, ::GetStdHandle(STD_ERROR_HANDLE)}};
  ScopedFile screen_;
};

// A console shows the messages as typed whatever its code page (the OEM
// one, which a program's narrow output is not in); redirected, they are
// UTF-8, and the lines end in CR LF.
TEST(CliExecutable, WritesPathsAsTypedOnAConsoleAndInUtf8WhenRedirected) {
  const std::string folder = "C:\\\xD0\xB2\xD1\x8B\xD0\xB2\xD0\xBE\xD0\xB4";  // C:\вывод: a dry run makes nothing
  ASSERT_FALSE(fs::exists(fs::u8path(folder)));
  const std::vector<std::string> args{"--dry-run", "-o", folder};
  const std::string planned = "Dry run: the folder " + folder + " would be created.";

  const ProcessResult redirected = RunCliExecutable(args);
  EXPECT_EQ(redirected.exitCode, 0u) << redirected.err;
  EXPECT_EQ(redirected.out.rfind(planned + "\r\n", 0), 0u) << redirected.out;
  EXPECT_NE(redirected.out.find("\r\n  " + folder + "\\Unit1.pas\r\n"), std::string::npos) << redirected.out;

  const ScopedConsole console;
  ASSERT_TRUE(console) << "no console (error " << ::GetLastError() << ")";
  EXPECT_EQ(console.Run(CliCommandLine(args)), 0u);
  const std::vector<std::string> rows = console.Rows();
  // The host warning, raised while the command builds the files, may come first.
  EXPECT_NE(std::find(rows.begin(), rows.end(), planned), rows.end()) << (rows.empty() ? "" : rows.front());
  EXPECT_NE(std::find(rows.begin(), rows.end(), "  " + folder + "\\Unit1.pas"), rows.end()) << rows.back();
}

// True when both paths (UTF-8) name the same existing file or folder.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(fs::u8path(a), fs::u8path(b), error);
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
