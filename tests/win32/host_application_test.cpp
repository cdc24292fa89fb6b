// Finding the host application through App Paths entries written into the
// real registry, and the found path in the generated project.
#include <windows.h>

#include <functional>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "generator/project_files.h"
#include "platform/probes.h"
#include "support/test_support.h"
#include "win32/win32_test_support.h"

namespace quillfern::platform {
namespace {

namespace fs = std::filesystem;
using testing::CrLfLines;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using testing::win32::AppPathKeyExists;
using testing::win32::ScopedAppPath;
using testing::win32::ScopedFileOnDisk;
using testing::win32::ShortPathOf;

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
  const std::string folder = std::string(programFiles) + "\\Quillfern Test Host " + UniqueExeName();
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  {
    const ScopedFileOnDisk host(folder + "\\host.exe");
    const std::string exe = UniqueExeName();
    ScopedAppPath entry(exe);
    const std::string unexpanded = "%ProgramFiles%" + host.path().substr(std::string(programFiles).size());
    entry.SetDefault(REG_EXPAND_SZ, std::string_view(unexpanded.c_str(), unexpanded.size() + 1));
    ASSERT_TRUE(FileExists(host.path()));
    EXPECT_EQ(FindHostApplication(exe), "") << unexpanded;
  }
  ::RemoveDirectoryA(folder.c_str());
}

TEST_F(HostOnDisk, GivesAShortFormBackInLongForm) {
  const std::string shortForm = ShortPathOf(host);
  ASSERT_NE(shortForm, "") << "the system gives no short name for " << host;
  ASSERT_NE(shortForm, host);
  ASSERT_NE(shortForm.find('~'), std::string::npos) << shortForm;
  ASSERT_TRUE(FileExists(shortForm)) << shortForm;
  const std::string exe = UniqueExeName();
  ScopedAppPath entry(exe);
  entry.SetDefaultText(shortForm);
  EXPECT_EQ(FindHostApplication(exe), host) << "registered as " << shortForm;
}

// The lines of the generated files that hold the host path.
struct HostLines {
  std::string projectSource, options, unit, readme;
};

HostLines HostLinesOf(const std::string& folder, const std::string& projectName) {
  const auto lines = [&](const std::string& name) { return CrLfLines(ReadBytes(folder + "\\" + name)); };
  const auto dpr = lines(projectName + ".dpr"), dof = lines(projectName + ".dof");
  const auto unit = lines("Unit1.pas"), readme = lines("Readme.txt");
  if (dpr.size() < 13 || dof.size() < 5 || unit.size() < 21 || readme.size() < 26) return {};
  return {dpr[12], dof[4], unit[20], readme[25]};
}

TEST_F(HostOnDisk, PutsTheFoundPathIntoTheFourPlacesWithoutAWarning) {
  const auto access = static_cast<std::size_t>(catalogue::OfficeAppKind::oaAccess);
  ScopedAppPath entry(std::string(catalogue::App(access).ExeName));
  entry.SetDefaultText(ShortPathOf(host));
  generator::WizardSettings settings;
  settings.TargetApp = access;
  settings.InterfaceUnitFile = "Access2000.pas";
  settings.ClassName = "AccessAddin1";
  TempFolder out;
  int warnings = 0;
  ASSERT_TRUE(generator::WriteProjectFiles(settings, out.str(),
                                           [&](const std::string&, const std::string&) { ++warnings; }));
  EXPECT_EQ(warnings, 0);
  const HostLines found = HostLinesOf(out.str(), "AccessAddin1");
  EXPECT_EQ(found.projectSource, "  " + host);
  EXPECT_EQ(found.options, "HostApplication=" + host);
  EXPECT_EQ(found.unit, "  " + host);
  EXPECT_EQ(found.readme, host);
}

}  // namespace
}  // namespace quillfern::platform
