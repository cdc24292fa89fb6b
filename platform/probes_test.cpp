// The folder probes on real folders, and the owner the probes keep their
// handles in; the same tests run on every system.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/date_time.h"
#include "platform/files.h"
#include "platform/guid.h"
#include "platform/program.h"
#include "platform/scoped.h"
#include "support/test_support.h"

namespace quillfern::platform {
namespace {

namespace fs = std::filesystem;
using quillfern::testing::ListTree;
using quillfern::testing::ScopedWorkingDirectory;
using quillfern::testing::TempFolder;

const std::string kSep(1, kPathDelimiter);

TEST(FolderExists, TellsFoldersFromFilesAndNothing) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "file", "x");
  EXPECT_TRUE(FolderExists(dir.str()));
  EXPECT_TRUE(FolderExists(dir.str() + kSep));
  EXPECT_FALSE(FolderExists(dir / "file"));
  EXPECT_FALSE(FolderExists(dir / "missing"));
  EXPECT_FALSE(FolderExists(""));
  EXPECT_TRUE(FileExists(dir / "file"));
  EXPECT_FALSE(FileExists(dir.str()));
  EXPECT_FALSE(FileExists(dir / "missing"));
}

TEST(FolderPart, KeepsTheSeparatorAndIsEmptyWithoutOne) {
  EXPECT_EQ(FolderPart("a" + kSep + "b" + kSep + "c.exe"), "a" + kSep + "b" + kSep);
  EXPECT_EQ(FolderPart("c.exe"), "");
  EXPECT_EQ(FolderPart(kSep), kSep);
}

TEST(CreateFolderPath, CreatesEveryMissingParentInOrder) {
  TempFolder dir;
  const std::string deep = dir / "A" + kSep + "B" + kSep + "C";
  EXPECT_TRUE(CreateFolderPath(deep).ok());
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"A/", "A/B/", "A/B/C/"}));
}

TEST(CreateFolderPath, AcceptsAnExistingFolderAndATrailingSeparatorWithoutChange) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "keep", "x");
  EXPECT_TRUE(CreateFolderPath(dir.str()).ok());
  EXPECT_TRUE(CreateFolderPath(dir.str() + kSep).ok());
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"keep"}));
  EXPECT_TRUE(CreateFolderPath(dir / "new" + kSep).ok());
  EXPECT_TRUE(fs::is_directory(dir.path() / "new"));
}

TEST(CreateFolderPath, FailsWhereAFileStandsAndKeepsWhatItMadeBefore) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "file", "x");
  EXPECT_FALSE(CreateFolderPath(dir / "file").ok());
  EXPECT_FALSE(CreateFolderPath(dir / "file" + kSep + "sub").ok());
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"file"}));
}

TEST(CreateFolderPath, RefusesTheEmptyPathWithItsError) {
  const FolderCreation creation = CreateFolderPath("");
  EXPECT_EQ(creation.error, std::errc::invalid_argument);
  EXPECT_TRUE(creation.created.empty());
}

TEST(CreateFolderPath, CreatesShortAndOnePartRelativeNamesInTheWorkingDirectory) {
  TempFolder dir;
  ScopedWorkingDirectory inside(dir.path());
  for (const char* name : {"a", "ab", "abc"}) {
    EXPECT_TRUE(CreateFolderPath(name).ok()) << name;
    EXPECT_TRUE(fs::is_directory(dir.path() / name)) << name;
  }
  EXPECT_TRUE(CreateFolderPath("x" + kSep + "y").ok());
  EXPECT_TRUE(fs::is_directory(dir.path() / "x" / "y"));
}

TEST(CreateFolderPath, TakesTheRootAsExisting) {
  EXPECT_TRUE(CreateFolderPath(kSep).ok());
}

TEST(IsFolderWriteProtected, ProbesAnOrdinaryFolderAndLeavesNothingBehind) {
  TempFolder dir;
  EXPECT_FALSE(IsFolderWriteProtected(dir.str()));
  EXPECT_FALSE(IsFolderWriteProtected(dir.str() + kSep));
  EXPECT_TRUE(ListTree(dir.path()).empty());
}

TEST(IsFolderWriteProtected, CallsAMissingFolderProtected) {
  TempFolder dir;
  EXPECT_TRUE(IsFolderWriteProtected(dir / "missing"));
  EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

TEST(WriteNewFile, WritesAllBytesOnlyWhereNothingIsYet) {
  TempFolder dir;
  const std::string bytes("MSFT\x02\x00\x01\x00", 8);
  ASSERT_FALSE(WriteNewFile(dir / "f", bytes));
  EXPECT_EQ(quillfern::testing::ReadBytes(dir / "f"), bytes);
  ASSERT_FALSE(WriteNewFile(dir / "empty", ""));
  EXPECT_EQ(fs::file_size(dir.path() / "empty"), 0u);
  EXPECT_EQ(WriteNewFile(dir / "f", "other"), std::errc::file_exists) << "an existing file is never written over";
  EXPECT_EQ(quillfern::testing::ReadBytes(dir / "f"), bytes);
  EXPECT_TRUE(WriteNewFile(dir / "no" + kSep + "f", bytes)) << "a missing folder gives its error";
}

TEST(MoveEntry, ReplacesAFileButNeverAFolderAndUnlessTakenReplacesNothing) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "a", "a");
  quillfern::testing::WriteBytes(dir / "b", "b");
  fs::create_directory(dir.path() / "folder");
  EXPECT_EQ(MoveEntryUnlessTaken(dir / "a", dir / "b"), std::errc::file_exists);
  EXPECT_EQ(quillfern::testing::ReadBytes(dir / "b"), "b");
  EXPECT_TRUE(MoveEntry(dir / "a", dir / "folder"));
  EXPECT_FALSE(MoveEntry(dir / "a", dir / "b"));
  EXPECT_EQ(quillfern::testing::ReadBytes(dir / "b"), "a");
  EXPECT_FALSE(MoveEntryUnlessTaken(dir / "b", dir / "c"));
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"c", "folder/"}));
}

TEST(ReadFileRange, GivesWhatTheFileHoldsThereAndNoMore) {
  TempFolder dir;
  const std::string file = dir / "bytes";
  quillfern::testing::WriteBytes(file, std::string("MZ\0\x01tail", 8));
  struct Case {
    std::uint64_t offset;
    std::size_t size;
    std::string expected;
  };
  const Case cases[] = {{0, 2, "MZ"}, {2, 3, std::string("\0\x01t", 3)}, {4, 100, "tail"},
                        {8, 4, ""},   {9, 4, ""},                          {~std::uint64_t{0} >> 1, 4, ""}};
  for (const Case& c : cases) {
    const FileRange range = ReadFileRange(file, c.offset, c.size);
    EXPECT_FALSE(range.error) << c.offset;
    EXPECT_EQ(range.bytes, c.expected) << c.offset << "+" << c.size;
  }
  EXPECT_TRUE(ReadFileRange(dir / "missing", 0, 4).error);
  const FileRange folder = ReadFileRange(dir.str(), 0, 4);
  EXPECT_TRUE(folder.error) << "a folder";
  EXPECT_EQ(folder.bytes, "");
}

// Letter case in ASCII on every system; beyond it, Windows' own table
// (win32/files_test.cpp).
TEST(SamePathIgnoringCase, IgnoresTheCaseOfAsciiLettersAlone) {
  EXPECT_TRUE(SamePathIgnoringCase("C:\\Addins\\WordAddin1.DLL", "c:\\addins\\wordaddin1.dll"));
  EXPECT_TRUE(SamePathIgnoringCase("", ""));
  EXPECT_FALSE(SamePathIgnoringCase("c:\\a.dll", "c:\\a.dl"));
  EXPECT_FALSE(SamePathIgnoringCase("c:\\a.dll", "c:/a.dll"));
  EXPECT_FALSE(SamePathIgnoringCase("c:\\a_dll", "c:\\a\x7F" "dll"));
}

TEST(NewGuidText, IsInRegistryFormAndFreshEachTime) {
  const std::string a = NewGuidText(), b = NewGuidText();
  ASSERT_EQ(a.size(), 38u);
  EXPECT_NE(a, b);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char c = a[i];
    if (i == 0) EXPECT_EQ(c, '{');
    else if (i == 37) EXPECT_EQ(c, '}');
    else if (i == 9 || i == 14 || i == 19 || i == 24) EXPECT_EQ(c, '-') << a;
    else EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << a;
  }
}

TEST(DateTimeText, LeavesTheTimeOutAtMidnightOnly) {
  const std::string midnight = DateTimeText({2026, 12, 9, 0, 0, 0});
  const std::string second = DateTimeText({2026, 12, 9, 0, 0, 1});
  EXPECT_FALSE(midnight.empty());
  EXPECT_EQ(midnight.find(' '), std::string::npos) << midnight;
  EXPECT_EQ(second.substr(0, midnight.size() + 1), midnight + " ") << second;
  EXPECT_GT(second.size(), midnight.size() + 1);
}

TEST(LibrarySearchPath, IsTheProgramFolderAndLibraryFilesWithOneSeparator) {
  const std::string path = LibrarySearchPath();
  const std::string tail = kSep + "LibraryFiles";
  ASSERT_GT(path.size(), tail.size());
  EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
  EXPECT_NE(path[path.size() - tail.size() - 1], kPathDelimiter);
  EXPECT_TRUE(FolderExists(FolderPart(path))) << path;
}

TEST(ChangeFileExt, ReplacesOnlyTheLastNamesExtension) {
  const std::string d = kSep;
  EXPECT_EQ(ChangeFileExt("tools" + d + "wizard.exe", ".chm"), "tools" + d + "wizard.chm");
  EXPECT_EQ(ChangeFileExt("tools" + d + "wizard", ".chm"), "tools" + d + "wizard.chm");
  EXPECT_EQ(ChangeFileExt("my.tools" + d + "wizard", ".chm"), "my.tools" + d + "wizard.chm");
  EXPECT_EQ(ChangeFileExt("a.b.exe", ".chm"), "a.b.chm");
}

// Handles are ints here; giving back a negative one fails.
struct RecordingTraits {
  using Handle = int;
  static std::vector<int>& GivenBack() {
    static std::vector<int> handles;
    return handles;
  }
  static Handle Invalid() { return 0; }
  static bool Close(Handle h) {
    GivenBack().push_back(h);
    return h > 0;
  }
};

TEST(Scoped, GivesBackEachHandleExactlyOnce) {
  using Owner = Scoped<RecordingTraits>;
  const struct {
    const char* what;
    void (*use)();
    std::vector<int> givenBack;
  } cases[] = {
      {"when it goes", [] { Owner a(1); }, {1}},
      {"never after Release", [] { Owner a(1); EXPECT_EQ(a.Release(), 1); }, {}},
      {"on Reset, saying whether that worked",
       [] {
         Owner a(-1);
         EXPECT_FALSE(a.Reset());
         EXPECT_TRUE(a.Reset());
       },
       {-1}},
      {"from the new owner after a move",
       [] {
         Owner a(1);
         const Owner b(std::move(a));
         EXPECT_FALSE(a);
       },
       {1}},
      {"both on a move assignment, the displaced one first",
       [] {
         Owner a(1), b(2);
         b = std::move(a);
       },
       {2, 1}},
      {"once, and only at the end, after a move onto itself",
       [] {
         Owner a(1);
         Owner& same = a;
         a = std::move(same);
         EXPECT_EQ(a.get(), 1);
       },
       {1}},
      {"the held one before receive fills it",
       [] {
         Owner a(1);
         *a.receive() = 2;
       },
       {1, 2}},
  };
  for (const auto& c : cases) {
    RecordingTraits::GivenBack().clear();
    c.use();
    EXPECT_EQ(RecordingTraits::GivenBack(), c.givenBack) << c.what;
  }
}

}  // namespace
}  // namespace quillfern::platform
