// The folder probes on real folders, and the owner the probes keep their
// handles in; the same tests run on every system.
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/date_time.h"
#include "platform/files.h"
#include "platform/guid.h"
#include "platform/paths.h"
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

using Root = PathParts::Root;
constexpr PathStyle kWindows = PathStyle::Windows, kPosix = PathStyle::Posix;

// Each system's reading of a folder text: its root, kept whole, the names
// below it, and the one form every step takes.
TEST(SplitPath, ReadsEachSystemsFormsIntoTheRootAndTheNames) {
  const struct {
    PathStyle style;
    const char* text;
    Root root;
    const char* rootText;
    std::vector<std::string> names;
    const char* joined;
  } cases[] = {
      {kWindows, "C:\\x\\\\y", Root::Drive, "C:\\", {"x", "y"}, "C:\\x\\y"},
      {kWindows, "C:/x/y/", Root::Drive, "C:\\", {"x", "y"}, "C:\\x\\y"},
      {kWindows, "C:\\x/\\/y", Root::Drive, "C:\\", {"x", "y"}, "C:\\x\\y"},
      {kWindows, "C:", Root::Drive, "C:\\", {}, "C:"},  // a bare drive is its root
      {kWindows, "C:\\", Root::Drive, "C:\\", {}, "C:"},
      {kWindows, "c:x\\y", Root::DriveRelative, "c:", {"x", "y"}, "c:x\\y"},
      {kWindows, "c:x\\..", Root::DriveRelative, "c:", {}, "c:."},  // the drive's working directory, not its root
      {kWindows, "\\x", Root::CurrentDrive, "\\", {"x"}, "\\x"},
      {kWindows, "a/b", Root::Relative, "", {"a", "b"}, "a\\b"},
      {kWindows, "ab", Root::Relative, "", {"ab"}, "ab"},
      {kWindows, "a\\..\\..\\b", Root::Relative, "", {"..", "b"}, "..\\b"},
      {kWindows, "C:\\x\\.\\y\\..\\z", Root::Drive, "C:\\", {"x", "z"}, "C:\\x\\z"},
      {kWindows, "C:\\..\\..\\x", Root::Drive, "C:\\", {"x"}, "C:\\x"},
      {kWindows, "C:\\x \\y.", Root::Drive, "C:\\", {"x ", "y."}, "C:\\x \\y."},
      {kWindows, "\\\\server\\share\\x", Root::Share, "\\\\server\\share\\", {"x"}, "\\\\server\\share\\x"},
      {kWindows, "//server//share/../x", Root::Share, "\\\\server\\share\\", {"x"}, "\\\\server\\share\\x"},
      {kWindows, "\\\\server\\share", Root::Share, "\\\\server\\share\\", {}, "\\\\server\\share"},
      {kWindows, "\\\\", Root::None, "", {}, ""},
      {kWindows, "\\\\server", Root::None, "", {}, ""},
      {kWindows, "\\\\server\\\\", Root::None, "", {}, ""},
      {kWindows, "\\\\/?\\x\\y", Root::None, "", {}, ""},  // no share, and no \\?\ either
      {kWindows, "///./x/y", Root::None, "", {}, ""},
      {kWindows, "   ", Root::None, "", {}, ""},
      {kWindows, "\\\\?\\C:\\x \\..\\y\\", Root::Literal, "\\\\?\\C:\\", {"x ", "..", "y"}, "\\\\?\\C:\\x \\..\\y"},
      {kWindows, "\\\\?\\C:\\a\\\\b/c", Root::Literal, "\\\\?\\C:\\", {"a", "", "b/c"}, "\\\\?\\C:\\a\\\\b/c"},
      {kWindows, "\\\\?\\unc\\server\\share\\x", Root::Literal, "\\\\?\\unc\\server\\share\\", {"x"},
       "\\\\?\\unc\\server\\share\\x"},
      {kWindows, "\\\\?\\C:", Root::Literal, "\\\\?\\C:\\", {}, "\\\\?\\C:"},
      {kWindows, "\\\\?\\", Root::None, "", {}, ""},
      {kWindows, "\\\\?\\UNC\\server", Root::None, "", {}, ""},
      {kWindows, "\\\\.\\C:\\x\\..\\y", Root::Device, "\\\\.\\C:\\", {"y"}, "\\\\.\\C:\\y"},
      {kWindows, "//./pipe/x", Root::Device, "\\\\.\\pipe\\", {"x"}, "\\\\.\\pipe\\x"},
      {kWindows, "\\\\.\\", Root::None, "", {}, ""},
      {kPosix, "/tmp//x///y/", Root::Posix, "/", {"tmp", "x", "y"}, "/tmp/x/y"},
      {kPosix, "a/./b/../c", Root::Relative, "", {"a", "b", "..", "c"}, "a/b/../c"},  // a link may stand before ".."
      {kPosix, "C:\\x \\y", Root::Relative, "", {"C:\\x \\y"}, "C:\\x \\y"},
      {kPosix, "//", Root::Posix, "/", {}, ""},
      {kPosix, " \t ", Root::None, "", {}, ""},
      {kPosix, "  //", Root::None, "", {}, ""},
      {kPosix, "/  ", Root::Posix, "/", {"  "}, "/  "},
      {kPosix, " x ", Root::Relative, "", {" x "}, " x "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.style == kWindows ? "Windows: " : "POSIX: ") + c.text);
    const PathParts parts = SplitPath(c.text, c.style);
    EXPECT_EQ(parts, (PathParts{c.root, c.rootText, c.names}));
    EXPECT_EQ(JoinPath(parts, c.style), c.joined);
    // The joined form reads back as the same parts, except where it is empty
    // (a root alone that has no text of its own).
    if (*c.joined) {
      EXPECT_EQ(SplitPath(c.joined, c.style), parts);
    }
  }
}

// Relative forms as Windows takes them, against the working directory.
TEST(FullPath, TakesRelativeFormsAgainstTheWorkingDirectoryOnWindowsOnly) {
  const struct {
    PathStyle style;
    const char *workingDirectory, *text, *full;
  } cases[] = {
      {kWindows, "C:\\work\\dir", "a\\b", "C:\\work\\dir\\a\\b"},
      {kWindows, "C:\\work\\dir", "..\\..\\..\\a", "C:\\a"},
      {kWindows, "C:\\work\\dir", "c:x", "C:\\work\\dir\\x"},
      {kWindows, "C:\\work\\dir", "D:x", "D:\\x"},
      {kWindows, "C:\\work\\dir", "D:..\\x", "D:\\x"},
      {kWindows, "C:\\work\\dir", "\\x", "C:\\x"},
      {kWindows, "C:\\work\\dir", "E:\\q", "E:\\q"},
      {kWindows, "\\\\srv\\sh\\w", "\\x", "\\\\srv\\sh\\x"},
      {kWindows, "\\\\srv\\sh\\w", "..\\..\\y", "\\\\srv\\sh\\y"},
      {kWindows, ".", "a", "a"},  // a working directory the system could not give
      {kPosix, "/tmp", "a", "a"},  // POSIX counts a relative path as it is written
  };
  for (const auto& c : cases) {
    const PathParts full = FullPath(SplitPath(c.text, c.style), SplitPath(c.workingDirectory, c.style), c.style);
    EXPECT_EQ(JoinPath(full, c.style), c.full) << c.text << " in " << c.workingDirectory;
  }
}

// The names each system will not take, and the lengths it counts: UTF-16
// units on Windows, bytes on POSIX.
TEST(CheckName, RefusesWhatEachSystemWillNotTakeAsAName) {
  using Kind = NameProblem::Kind;
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units, four bytes
  std::string accents, emojis;
  for (int i = 0; i < 128; ++i) accents += "\xC3\xA9", emojis += emoji;
  const struct {
    PathStyle style;
    bool literal;
    std::string name;
    std::optional<NameProblem> problem;
  } cases[] = {
      {kWindows, false, "ok", std::nullopt},
      {kWindows, false, "x ", NameProblem{Kind::EndsInBlankOrDot, "x ", ' '}},
      {kWindows, false, "x.", NameProblem{Kind::EndsInBlankOrDot, "x.", '.'}},
      {kWindows, false, "...", NameProblem{Kind::EndsInBlankOrDot, "...", '.'}},
      {kWindows, false, "a?b", NameProblem{Kind::Character, "a?b", '?'}},
      {kWindows, false, "a:b", NameProblem{Kind::Character, "a:b", ':'}},
      {kWindows, false, "a\tb", NameProblem{Kind::Character, "a\tb", '\t'}},
      {kWindows, false, "\xC4\xBC", std::nullopt},  // U+013C, whose low byte is '<'
      {kWindows, false, "CON", NameProblem{Kind::Device, "CON"}},
      {kWindows, false, "con.txt", NameProblem{Kind::Device, "con.txt"}},
      {kWindows, false, "Nul .dpr", NameProblem{Kind::Device, "Nul .dpr"}},
      {kWindows, false, "COM0", NameProblem{Kind::Device, "COM0"}},
      {kWindows, false, "COM\xC2\xB9", NameProblem{Kind::Device, "COM\xC2\xB9"}},
      {kWindows, false, "LPT\xC2\xB3.x", NameProblem{Kind::Device, "LPT\xC2\xB3.x"}},
      {kWindows, false, "CONIN$", NameProblem{Kind::Device, "CONIN$"}},
      {kWindows, false, "CONSOLE", std::nullopt},
      {kWindows, false, "COM10", std::nullopt},
      {kWindows, false, "COM\xC2\xB4", std::nullopt},
      {kWindows, false, "xNUL", std::nullopt},
      {kWindows, false, std::string(255, 'n'), std::nullopt},
      {kWindows, false, std::string(256, 'n'), NameProblem{Kind::TooLong, std::string(256, 'n'), 0, 256}},
      {kWindows, false, accents, std::nullopt},
      {kWindows, false, emojis, NameProblem{Kind::TooLong, emojis, 0, 256}},
      // \\?\ takes every name as written: no blank or dot is dropped, and
      // the names that mean a step elsewhere name nothing.
      {kWindows, true, "x ", std::nullopt},
      {kWindows, true, "..", NameProblem{Kind::NotAName, ".."}},
      {kWindows, true, "", NameProblem{Kind::NotAName, ""}},
      {kWindows, true, "a/b", NameProblem{Kind::Character, "a/b", '/'}},
      {kWindows, true, "CON", NameProblem{Kind::Device, "CON"}},
      {kPosix, false, "x ", std::nullopt},
      {kPosix, false, "a?b:<>", std::nullopt},
      {kPosix, false, "CON", std::nullopt},
      {kPosix, false, std::string(255, 'n'), std::nullopt},
      {kPosix, false, accents, NameProblem{Kind::TooLong, accents, 0, 256}},
      {kPosix, false, emojis, NameProblem{Kind::TooLong, emojis, 0, 512}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.style == kWindows ? "Windows" : "POSIX") + (c.literal ? ", literal: " : ": ") +
                 c.name.substr(0, 20));
    EXPECT_EQ(CheckName(c.name, c.style, c.literal), c.problem);
  }
  EXPECT_EQ(PathLength("C:\\\xC3\xA9" + emoji, kWindows), 6u);
  EXPECT_EQ(PathLength("C:\\\xC3\xA9" + emoji, kPosix), 9u);
  // The first name of a path that its system will not take; a literal path
  // keeps its names as written.
  EXPECT_EQ(FirstBadName(SplitPath("C:\\ok\\x \\CON", kWindows), kWindows), (NameProblem{Kind::EndsInBlankOrDot, "x ", ' '}));
  EXPECT_EQ(FirstBadName(SplitPath("\\\\?\\C:\\ok\\x \\CON", kWindows), kWindows), (NameProblem{Kind::Device, "CON"}));
  EXPECT_EQ(FirstBadName(SplitPath("/x /CON", kPosix), kPosix), std::nullopt);
}

TEST(CreateFolderPath, CreatesEveryMissingParentInOrder) {
  TempFolder dir;
  const std::string deep = dir / "A" + kSep + "B" + kSep + "C";
  EXPECT_TRUE(CreateFolderPath(deep).ok());
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"A/", "A/B/", "A/B/C/"}));
}

// Looking only: what creating would make, and, where it would fail, that
// it would and with the error creating gives; nothing is made.
TEST(PlanFolders, NamesWhatCreatingWouldMakeAndTheErrorThatWouldStopIt) {
  TempFolder dir;
  quillfern::testing::WriteBytes(dir / "file", "x");
  const std::string t = dir.str();
  const std::error_code inTheWay = MakeFolder(dir / "file");
  ASSERT_TRUE(inTheWay);
  const struct {
    std::string path;
    std::vector<std::string> toCreate;
    bool blocked;
  } cases[] = {
      {t, {}, false},
      {t + kSep, {}, false},
      {t + kSep + "a" + kSep + kSep + "b", {t + kSep + "a", t + kSep + "a" + kSep + "b"}, false},
      {t + kSep + "file", {t + kSep + "file"}, true},
      {t + kSep + "file" + kSep + "sub", {t + kSep + "file", t + kSep + "file" + kSep + "sub"}, true},
      // ".." is made by the folder before it; Windows reads it as a step back.
      {t + kSep + "a" + kSep + ".." + kSep + "b",
       kPathStyle == PathStyle::Windows ? std::vector<std::string>{t + kSep + "b"}
                                        : std::vector<std::string>{t + kSep + "a", t + kSep + "a" + kSep + ".." + kSep + "b"},
       false},
  };
  for (const auto& c : cases) {
    const FolderPlan plan = PlanFolders(c.path);
    EXPECT_EQ(plan.toCreate, c.toCreate) << c.path;
    EXPECT_EQ(plan.blocked, c.blocked) << c.path;
    EXPECT_EQ(plan.error, c.blocked ? inTheWay : std::error_code()) << c.path;
  }
  EXPECT_EQ(ListTree(dir.path()), (std::set<std::string>{"file"}));
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
