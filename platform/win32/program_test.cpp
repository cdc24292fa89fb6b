// Finding the host application through App Paths entries written into the
// real registry. (The found path in the generated project: CliExecutable.)
#include <windows.h>

#include <functional>

#include <gtest/gtest.h>

#include "platform/program.h"
#include "support/test_support.h"
#include "support/win32_support.h"

namespace quillfern::platform {
namespace {

namespace fs = std::filesystem;
using testing::AppPathKeyExists;
using testing::ScopedAppPath;
using testing::ShortPathOf;
using testing::TempFolder;
using testing::WriteBytes;

// An executable name no real program registers, fresh for each use.
std::string UniqueExeName() {
  static int counter = 0;
  return "quillfern-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter) +
         ".exe";
}

std::string DwordBytes(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

// A host executable on disk: Host, inside a folder with a long name.
class HostOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir.path() / "Office Host Folder");
    WriteBytes(host, "MZ");
  }
  TempFolder dir;
  const std::string folder = dir / "Office Host Folder";
  const std::string host = folder + "\\Host Application.exe";
};

struct EntryCase {
  const char* what;
  // Writes the entry (or nothing) for the executable HostPath in HostFolder
  // and returns the path expected back.
  std::function<std::string(ScopedAppPath&, const std::string& hostPath, const std::string& hostFolder)> arrange;
};

TEST_F(HostOnDisk, ReadsTheDefaultValueByTheRules) {
  const EntryCase cases[] = {
      {"a valid path", [](ScopedAppPath& e, const std::string& hostPath, const std::string&) {
         e.SetDefaultText(hostPath);
         return hostPath;
       }},
      {"REG_EXPAND_SZ holding a plain path", [](ScopedAppPath& e, const std::string& hostPath, const std::string&) {
         e.SetDefault(REG_EXPAND_SZ, std::string_view(hostPath.c_str(), hostPath.size() + 1));
         return hostPath;
       }},
      {"the short (8.3) form, given back long", [](ScopedAppPath& e, const std::string& hostPath, const std::string&) {
         const std::string shortForm = ShortPathOf(hostPath);
         EXPECT_NE(shortForm.find('~'), std::string::npos) << "no short form: " << shortForm;
         e.SetDefaultText(shortForm);
         return hostPath;
       }},
      {"a value not ended by NUL", [](ScopedAppPath& e, const std::string& hostPath, const std::string&) {
         e.SetDefault(REG_SZ, hostPath);
         return hostPath;
       }},
      {"text after the first NUL", [](ScopedAppPath& e, const std::string& hostPath, const std::string&) {
         e.SetDefault(REG_SZ, hostPath + std::string(1, '\0') + "C:\\other.exe" + std::string(1, '\0'));
         return hostPath;
       }},
      {"the default value absent", [](ScopedAppPath& e, const std::string&, const std::string& hostFolder) {
         e.SetNamed("Path", REG_SZ, std::string_view(hostFolder.c_str(), hostFolder.size() + 1));
         return std::string();
       }},
      {"an empty value of size 0", [](ScopedAppPath& e, const std::string&, const std::string&) {
         e.SetDefault(REG_SZ, "");
         return std::string();
       }},
      {"an empty text", [](ScopedAppPath& e, const std::string&, const std::string&) {
         e.SetDefaultText("");
         return std::string();
       }},
      {"a number", [](ScopedAppPath& e, const std::string&, const std::string&) {
         e.SetDefault(REG_DWORD, DwordBytes(1));
         return std::string();
       }},
      {"the path as REG_BINARY", [](ScopedAppPath& e, const std::string& hostPath, const std::string&) {
         e.SetDefault(REG_BINARY, std::string_view(hostPath.c_str(), hostPath.size() + 1));
         return std::string();
       }},
      {"the path in quotes", [](ScopedAppPath& e, const std::string& hostPath, const std::string&) {
         e.SetDefaultText('"' + hostPath + '"');
         return std::string();
       }},
      {"a folder of that name", [](ScopedAppPath& e, const std::string&, const std::string& hostFolder) {
         e.SetDefaultText(hostFolder);
         return std::string();
       }},
      {"a file that was deleted", [](ScopedAppPath& e, const std::string&, const std::string& hostFolder) {
         const std::string gone = hostFolder + "\\Deleted Host.exe";
         WriteBytes(gone, "MZ");
         e.SetDefaultText(gone);
         fs::remove(gone);
         return std::string();
       }},
  };
  for (const EntryCase& c : cases) {
    const std::string exe = UniqueExeName();
    ScopedAppPath entry(exe);
    const std::string expected = c.arrange(entry, host, folder);
    EXPECT_EQ(FindHostApplication(exe), expected) << c.what;
  }
}

TEST(FindHostApplication, IsEmptyForAMissingKeyAndNeverCreatesIt) {
  const std::string exe = UniqueExeName();
  ASSERT_FALSE(AppPathKeyExists(exe));
  EXPECT_EQ(FindHostApplication(exe), "");
  EXPECT_FALSE(AppPathKeyExists(exe));
}

TEST(FindHostApplication, TakesProgramFilesLiterallyInAnExpandableString) {
  // The reference names a file that exists once expanded; taken literally it names none.
  char programFiles[MAX_PATH] = {};
  ASSERT_GT(::ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH), 0u);
  const TempFolder folder{fs::path(programFiles)};
  const std::string host = folder / "host.exe";
  WriteBytes(host, "MZ");
  const std::string exe = UniqueExeName();
  ScopedAppPath entry(exe);
  const std::string unexpanded = "%ProgramFiles%" + host.substr(std::string(programFiles).size());
  entry.SetDefault(REG_EXPAND_SZ, std::string_view(unexpanded.c_str(), unexpanded.size() + 1));
  EXPECT_EQ(FindHostApplication(exe), "") << unexpanded;
}

}  // namespace
}  // namespace quillfern::platform
