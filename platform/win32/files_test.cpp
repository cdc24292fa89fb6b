// The folder probes on Windows' own forms of paths: drives, a drive that
// cannot be written even by an administrator, and the process error mode.
#include <windows.h>

#include <optional>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/win32/scoped.h"
#include "support/test_support.h"
#include "support/win32_support.h"

namespace quillfern::platform {
namespace {

using testing::ListTree;
using testing::TempFolder;
using platform::win32::ScopedErrorMode;
using testing::ScopedWineDrive;
using testing::UnusedDrive;

// The names in Folder that match Pattern (such as "RWR*.tmp").
std::set<std::string> Matching(const std::string& folder, const std::string& pattern) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found{};
  win32::ScopedFind search(::FindFirstFileA((folder + pattern).c_str(), &found));
  if (!search) return names;
  do names.insert(found.cFileName);
  while (::FindNextFileA(search.get(), &found));
  return names;
}

TEST(FolderProbes, TakeADriveWithAndWithoutItsBackslash) {
  EXPECT_TRUE(FolderExists("C:\\"));
  EXPECT_TRUE(FolderExists("C:"));  // the drive's current folder
  const auto before = Matching("C:\\", "*");
  EXPECT_TRUE(CreateFolderPath("C:").ok());
  EXPECT_TRUE(CreateFolderPath("C:\\").ok());
  EXPECT_FALSE(IsFolderWriteProtected("C:\\"));
  EXPECT_FALSE(IsFolderWriteProtected("C:"));
  EXPECT_EQ(Matching("C:\\", "*"), before) << "the probes changed the drive's root";
}

TEST(FolderProbes, SeeNoFolderOnADriveThatIsNotThere) {
  const std::string drive = UnusedDrive();
  ASSERT_NE(drive, "");
  EXPECT_FALSE(FolderExists(drive + "\\"));
  EXPECT_FALSE(FolderExists(drive + "\\Work"));
  EXPECT_FALSE(CreateFolderPath(drive + "\\Work\\Out").ok());
  EXPECT_TRUE(IsFolderWriteProtected(drive + "\\Work"));
  // Looking tells as much: nothing can be made there, and why, also for the
  // drive's root alone. (Wine's CreateDirectoryW says "file not found"
  // where the drive's attributes say "path not found".)
  for (const std::string& folder : {drive + "\\Work\\Out", drive}) {
    const FolderPlan plan = PlanFolders(folder);
    EXPECT_TRUE(plan.blocked) << folder;
    ASSERT_FALSE(plan.toCreate.empty()) << folder;
    EXPECT_EQ(plan.toCreate.front(), folder == drive ? drive + "\\" : drive + "\\Work") << folder;
    EXPECT_TRUE(plan.error) << folder;
    EXPECT_TRUE(MakeFolder(plan.toCreate.front())) << folder;
  }
}

TEST(FolderProbes, TellAFileFromAFolderWithABackslashAfterIt) {
  TempFolder dir;
  testing::WriteBytes(dir / "name", "x");
  EXPECT_FALSE(FolderExists(dir / "name"));
  EXPECT_FALSE(FolderExists(dir / "name\\"));
  EXPECT_TRUE(IsFolderWriteProtected(dir / "name"));
  EXPECT_FALSE(CreateFolderPath(dir / "name\\").ok());
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"name"}));
}

// /sys cannot be written by anyone, root included (a read-only mount where
// a container mounts it so); a drive letter of the prefix is mapped onto it.
// On Windows itself a folder that denies writing would stand in for it.
class ReadOnlyDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::RunningUnderWine()) GTEST_SKIP() << "maps a drive of Wine's onto /sys";
    mapped.emplace("/sys");
    drive = mapped->drive();
  }
  std::optional<ScopedWineDrive> mapped;
  std::string drive;
};

TEST_F(ReadOnlyDrive, IsAnExistingFolderThatIsWriteProtected) {
  ASSERT_NE(drive, "");
  ASSERT_TRUE(FolderExists(drive + "\\"));
  ASSERT_TRUE(FolderExists(drive + "\\kernel"));
  for (const std::string& form : {drive, drive + "\\", drive + "\\kernel", drive + "\\kernel\\"})
    EXPECT_TRUE(IsFolderWriteProtected(form)) << form;
  EXPECT_TRUE(Matching(drive + "\\", "RWR*").empty());
}

TEST_F(ReadOnlyDrive, RefusesNewFoldersAndFiles) {
  ASSERT_NE(drive, "");
  EXPECT_FALSE(CreateFolderPath(drive + "\\Quillfern\\Out").ok());
  EXPECT_FALSE(FolderExists(drive + "\\Quillfern"));
  EXPECT_TRUE(WriteNewFile(drive + "\\Quillfern.dpr", "program")) << "no error for a write that failed";
  EXPECT_FALSE(FileExists(drive + "\\Quillfern.dpr"));
}

TEST_F(ReadOnlyDrive, ProbesWithTheErrorModeRestoredEveryTime) {
  ASSERT_NE(drive, "");
  const UINT mode = SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
  const ScopedErrorMode set(mode);
  TempFolder writable;
  const std::pair<std::string, bool> probes[] = {
      {writable.str(), false}, {drive + "\\", true}, {writable / "missing", true}};
  for (const auto& [folder, protectedExpected] : probes) {
    EXPECT_EQ(static_cast<bool>(IsFolderWriteProtected(folder)), protectedExpected) << folder;
    EXPECT_EQ(::GetErrorMode(), mode) << "after probing " << folder;
  }
}

// Windows' file names ignore letter case beyond ASCII too, unit by unit,
// as the file system's table has it: no folding of one letter into two.
TEST(SamePathIgnoringCase, FollowsTheFileSystemsLetterCase) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"C:\\Addins\\WordAddin1.dll", "c:\\addins\\wordaddin1.DLL", true},
      {"C:\\\xC3\x84rger.dll", "c:\\\xC3\xA4rger.dll", true},              // Ä, ä
      {"C:\\\xD0\x96.dll", "c:\\\xD0\xB6.dll", true},                      // Ж, ж
      {"C:\\\xCE\xA3.dll", "c:\\\xCF\x83.dll", true},                      // Σ, σ
      {"C:\\Stra\xC3\x9F" "e.dll", "c:\\strasse.dll", false},                // ß is not ss
      {"C:\\a.dll", "C:\\a.dll ", false},
      {"C:\\a.dll", "C:/a.dll", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SamePathIgnoringCase(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace quillfern::platform
