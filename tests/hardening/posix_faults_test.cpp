// Faults that Linux lets a test make for real: a file-size limit and a full
// file system part way through the set, read-only and pseudo file systems,
// names and paths at the system's limits, odd bytes in names, and links,
// pipes and devices standing where a file of the set goes.
#include <limits.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/cli_support.h"
#include "support/posix_support.h"

namespace quillfern::testing {
namespace {

struct ChildResult {
  int status;          // the body's result, or 128 + the signal that ended it
  std::string report;  // what the body wrote to its report
};

// Runs Body in a child process, so limits and mounts stay there; the report
// comes back through a pipe.
ChildResult InChild(const std::function<int(std::string& report)>& body) {
  int channel[2];
  if (::pipe(channel) != 0) return {-1, std::strerror(errno)};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(channel[0]);
    std::string report;
    const int status = body(report);
    for (std::size_t at = 0; at < report.size();) {
      const ssize_t n = ::write(channel[1], report.data() + at, report.size() - at);
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
    }
    ::_exit(status);
  }
  ::close(channel[1]);
  const std::string report = ReadUntilClosed(channel[0]);
  ::close(channel[0]);
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  return {StatusOf(wstatus), report};
}

// Runs Command through the shell and appends what it writes to Output: its
// exit status, 128 + the signal that ended it, or 99 when it cannot start.
int RunShell(const std::string& command, std::string& output) {
  FILE* run = ::popen(command.c_str(), "r");
  if (!run) return 99;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, run)) > 0;) output.append(buffer, n);
  return StatusOf(::pclose(run));
}

// In a child: files may not grow past Limit bytes, and going past fails the
// write (EFBIG) instead of killing the process.
void LimitFileSize(rlim_t limit) {
  const rlimit cap{limit, limit};
  ::setrlimit(RLIMIT_FSIZE, &cap);
  ::signal(SIGXFSZ, SIG_IGN);
}

// In a child: a private mount of a fresh tmpfs over Folder with these
// options. False when the system does not allow it (not root).
bool MountPrivateTmpfs(const std::string& folder, const char* options, unsigned long flags = 0) {
  return ::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("tmpfs", folder.c_str(), "tmpfs", flags, options) == 0;
}

bool CanMount() {
  TempFolder probe;
  return InChild([&](std::string&) { return MountPrivateTmpfs(probe.str(), "size=64k") ? 0 : 1; }).status == 0;
}

std::string Names(const fs::path& folder) {
  std::string names;
  for (const std::string& n : ListTree(folder)) names += n + " ";
  return names;
}

// Every file is staged whole before any name changes: a limit that stops
// one of them changes nothing at all, over an older project too.
TEST(DiskFaults, AFileSizeLimitAtAnyFileChangesNothing) {
  const generator::ProjectFileSet files = generator::ComposeProjectFiles(NewProjectSettings(1, 1), kFixedValues);
  std::set<std::size_t> limits;
  for (const auto& f : files) limits.insert(f.Content.size() - 1);
  for (const std::size_t limit : limits) {
    std::size_t firstTooLarge = 0;
    while (files[firstTooLarge].Content.size() <= limit) ++firstTooLarge;
    for (const bool olderProject : {false, true}) {
      SCOPED_TRACE("limit " + std::to_string(limit) + (olderProject ? ", over an older project" : ""));
      TempFolder dir;
      if (olderProject)
        for (const auto& f : files) WriteBytes(dir / f.FileName, "older " + f.FileName);
      const std::set<std::string> before = ListTree(dir.path());
      const ChildResult r = InChild([&](std::string& report) {
        LimitFileSize(limit);
        generator::WriteReport failure;
        const bool written = generator::WriteFileSet(files, dir.str(), &failure);
        report = failure.FileName + "|" + std::to_string(failure.FilesWritten) + "|" +
                 (failure.NothingChanged ? "unchanged" : "changed") + "|" + platform::ErrorText(failure.Error);
        return written ? 1 : 0;
      });
      ASSERT_EQ(r.status, 0) << "a write past the limit was reported as done";
      EXPECT_EQ(r.report, files[firstTooLarge].FileName + "|0|unchanged|" + std::strerror(EFBIG));
      EXPECT_EQ(ListTree(dir.path()), before) << "a staged file stayed, or a name changed";
      if (olderProject) {
        for (const auto& f : files) EXPECT_EQ(ReadBytes(dir / f.FileName), "older " + f.FileName);
      }
    }
  }
}

// Into a new chain of folders: they stay, and the error names the outermost
// and counts the rest.
TEST(DiskFaults, TheProgramUnderAFileSizeLimitReportsTheFileInsteadOfDyingInIt) {
  TempFolder dir;
  const std::string folder = dir / "made/a/b";
  const ChildResult r = InChild([&](std::string& report) {
    const rlimit cap{2048, 2048};  // ulimit -f 2
    ::setrlimit(RLIMIT_FSIZE, &cap);
    ::signal(SIGXFSZ, SIG_DFL);  // the program must ignore the signal itself
    return RunShell(std::string(QUILLFERN_CLI_EXE) + " -a Excel -V XP -o '" + folder + "' 2>&1", report);
  });
  EXPECT_EQ(r.status, 1) << r.report;
  EXPECT_NE(r.report.find("error: Unable to write project files.\nerror: could not write " + folder + "/Unit1.pas" +
                          ": " + std::strerror(EFBIG) + "; nothing was changed; created before the failure and left "
                          "in place: " + dir / "made" + " and the 2 folders below it\n"),
            std::string::npos)
      << r.report;
  EXPECT_TRUE(ListTree(folder).empty());
}

TEST(DiskFaults, AFullFileSystemPartWayIsReportedWithTheFileAndNoFileIsLeftIncomplete) {
  if (!CanMount()) GTEST_SKIP() << "mounting a small file system needs root";
  TempFolder reference;
  ASSERT_EQ(RunCliWith({"-a", "Excel", "-V", "XP", "-o", reference.str()}).status, 0);
  int sawFailure = 0;
  // tmpfs counts whole pages: these sizes run out at different files.
  for (const char* size : {"size=4k", "size=8k", "size=12k", "size=16k", "size=20k", "size=64k"}) {
    SCOPED_TRACE(size);
    TempFolder mountPoint;
    const ChildResult r = InChild([&](std::string& report) {
      if (!MountPrivateTmpfs(mountPoint.str(), size)) return 99;
      const std::string out = mountPoint / "out";
      const CliResult cli = RunCliWith({"-a", "Excel", "-V", "XP", "-o", out});
      report = cli.err + "\x01";
      // Every file that is there is whole: the same size as in a run with room.
      for (const std::string& name : ListTree(out)) {
        const auto want = fs::file_size(reference.path() / name);
        if (fs::file_size(fs::path(out) / name) != want) report += "incomplete " + name + " ";
      }
      return cli.status;
    });
    ASSERT_NE(r.status, 99) << "mount failed";
    const std::string err = r.report.substr(0, r.report.find('\x01'));
    EXPECT_EQ(r.report.substr(r.report.find('\x01') + 1), "") << err;
    if (r.status == 0) {
      EXPECT_EQ(err.find("error"), std::string::npos) << err;
      continue;
    }
    ++sawFailure;
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(err.find(std::strerror(ENOSPC)), std::string::npos) << err;
    const std::string error = err.substr(std::min(err.find("error: "), err.size()));
    EXPECT_TRUE(error.rfind("error: Unable to write project files.\nerror: could not write ", 0) == 0 ||
                error.rfind("error: Output folder is write protected.\nerror: no file can be made in ", 0) == 0 ||
                error.rfind("error: Unable to create output folder.\nerror: could not create ", 0) == 0)
        << err;
  }
  EXPECT_GE(sawFailure, 3) << "the sizes no longer make the disk run out part way";
}

TEST(ReadOnlyPlaces, FoldersNobodyMayWriteAreRefusedWithTheirReason) {
  // procfs takes no new folders or files, not even from root.
  const CliResult create = RunCliWith({"-o", "/proc/quillfern-out"});
  EXPECT_EQ(create.status, 1);
  EXPECT_EQ(create.err.rfind("error: Unable to create output folder.\nerror: could not create /proc/quillfern-out: ", 0), 0u)
      << create.err;
  const CliResult write = RunCliWith({"-o", "/proc"});
  EXPECT_EQ(write.status, 1);
  EXPECT_EQ(write.err.rfind("error: Output folder is write protected.\nerror: no file can be made in /proc: ", 0), 0u)
      << write.err;

  if (!CanMount()) GTEST_SKIP() << "a read-only mount needs root";
  TempFolder mountPoint;
  const ChildResult r = InChild([&](std::string& report) {
    if (!MountPrivateTmpfs(mountPoint.str(), "size=64k", MS_RDONLY)) return 99;
    const CliResult inside = RunCliWith({"-o", mountPoint.str()});
    const CliResult below = RunCliWith({"-o", mountPoint / "a" + "/b"});
    report = inside.err + "\x01" + below.err + "\x01" + Names(mountPoint.path());
    return inside.status * 10 + below.status;
  });
  ASSERT_NE(r.status, 99);
  EXPECT_EQ(r.status, 11);
  const std::string ro = std::strerror(EROFS);
  EXPECT_EQ(r.report, "error: Output folder is write protected.\nerror: no file can be made in " + mountPoint.str() +
                          ": " + ro + "\n\x01" + "error: Unable to create output folder.\nerror: could not create " +
                          mountPoint / "a" + ": " + ro + "\n\x01");
}

// Past the system's limits nothing is made: a name longer than NAME_MAX,
// a class name whose project source name or backup would be, or a chain
// deeper than PATH_MAX is refused with the limit and the length before the
// first folder, and what fits right at a limit is written.
TEST(LongPaths, NamesAndPathsPastTheSystemsLimitsAreRefusedBeforeAnythingIsMade) {
  TempFolder dir;
  const std::string tooLong = dir / std::string(NAME_MAX + 1, 'n');
  const CliResult name = RunCliWith({"-o", tooLong});
  EXPECT_EQ(name.status, 2);
  EXPECT_EQ(name.err, "error: Output folder holds a name of 256 bytes, \"" + std::string(24, 'n') + "..." +
                          std::string(12, 'n') + "\", and the system takes at most 255 in a name.\n");
  const std::string longest = dir / std::string(NAME_MAX, 'm');
  EXPECT_EQ(RunCliWith({"-o", longest}).status, 0);
  EXPECT_EQ(ListTree(longest).size(), 7u);

  // "<class>.~dpr", the project source's backup, is the longest name.
  const std::string cls(NAME_MAX - 4, 'C');
  const CliResult file = RunCliWith({"-c", cls, "-o", dir / "cls"});
  EXPECT_EQ(file.status, 2);
  EXPECT_EQ(file.err.rfind("error: Class Name is too long for a file name: ", 0), 0u) << file.err;
  EXPECT_EQ(RunCliWith({"-c", cls.substr(1), "-o", dir / "cls"}).status, 0);

  std::string deep = dir / "deep";
  while (deep.size() < PATH_MAX + 200) deep += "/" + std::string(200, 'd');
  const CliResult d = RunCliWith({"-o", deep});
  EXPECT_EQ(d.status, 2);
  EXPECT_EQ(d.err, "error: Output folder is too long for this project: its longest path, ending in "
                   "\"AccessAddin1.~dpr\", would be " +
                       std::to_string(deep.size() + 18) + " bytes, and the system takes at most 4095 in a path.\n");
  EXPECT_EQ(ListTree(dir.path()).count("deep/"), 0u);
}

// Single quotes around Text for the shell.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The calls of a dry run of the generator with Args, in the folder Where,
// that make, remove, rename or write a file or folder, one a line; and its
// exit status, 98 when strace did not see it start.
int WatchDryRun(const TempFolder& where, const std::vector<std::string>& args, std::string& changes) {
  const char* changing =
      "mkdir,mkdirat,creat,rename,renameat,renameat2,unlink,unlinkat,rmdir,link,linkat,symlink,symlinkat,"
      "truncate,ftruncate,mknod,mknodat,chmod,fchmodat,utimensat";
  // LeakSanitizer refuses to run under a tracer; the sanitized build's other checks stay.
  std::string command = "cd " + ShellQuoted(where.str()) + " && ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" strace -f -qq -o " +
                        ShellQuoted(where / "calls") +
                        " -e trace=execve,open,openat," + changing + " " + QUILLFERN_CLI_EXE + " --dry-run";
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  std::string said;
  const int status = RunShell(command + " >/dev/null 2>&1", said);
  std::stringstream calls(ReadBytes(where / "calls"));
  fs::remove(where / "calls");
  bool started = false;
  for (std::string line; std::getline(calls, line);) {
    if (line.find(" execve(") != std::string::npos) {
      started = true;
      continue;
    }
    const bool opens = line.find(" open(") != std::string::npos || line.find(" openat(") != std::string::npos;
    const bool writes = line.find("O_WRONLY") != std::string::npos || line.find("O_RDWR") != std::string::npos ||
                        line.find("O_CREAT") != std::string::npos || line.find("O_TRUNC") != std::string::npos;
    if (!opens || writes) changes += line + "\n";
  }
  return started ? status : 98;
}

// The system calls of a dry run, watched: none makes, removes, renames or
// writes a file or folder, for any folder form or over an earlier project,
// and each ends with the exit status a real run gives (the CLI's tests run
// the same forms for real).
TEST(DryRun, MakesNoFileOrFolderForAnyFolderFormAsStraceSeesIt) {
  if (!HasStrace()) GTEST_SKIP() << "strace is not installed: scripts/install-packages tests";
  for (const FolderForm& form : FolderForms()) {
    SCOPED_TRACE(form.what);
    TempFolder temp;
    if (form.inAFileWay) WriteBytes(temp / "file", "x");
    std::vector<std::string> args = {"-o", FolderText(form, temp.str())};
    args.insert(args.end(), form.extra.begin(), form.extra.end());
    std::string changes;
    EXPECT_EQ(WatchDryRun(temp, args, changes), form.status);
    EXPECT_EQ(changes, "");
    EXPECT_EQ(ListTree(temp.path()), form.inAFileWay ? std::set<std::string>{"file"} : std::set<std::string>{});
  }
  // Over an earlier project, whose files it reads to tell the backups.
  TempFolder project;
  ASSERT_EQ(RunCliWith({"-a", "Excel", "-o", project.str()}).status, 0);
  const std::set<std::string> before = ListTree(project.path());
  std::string changes;
  EXPECT_EQ(WatchDryRun(project, {"-o", project.str(), "--force", "-c", "Other"}, changes), 0);
  EXPECT_EQ(changes, "");
  EXPECT_EQ(ListTree(project.path()), before);
}

TEST(OddNames, FolderNamesKeepTheirBytesAndTextsGoIntoTheCodePage) {
  TempFolder dir;
  // A Linux folder name is bytes: not even valid UTF-8 is asked of it.
  const char* const folders[] = {"with blanks ", "caf\xC3\xA9", "latin \xE9 byte", "<>:\"|?*", " lead", "new\nline"};
  for (const char* name : folders) {
    SCOPED_TRACE(name);
    const std::string folder = dir / name;
    const CliResult r = RunCliWith({"-o", folder, "-f", "Caf\xC3\xA9 <>:\"|?* '", "-d", " lead "});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListTree(folder).size(), 7u);
    // In the unit's string literal in Windows-1252, its one quote doubled and nothing else touched.
    const std::string unit = ReadBytes(fs::path(folder) / "Unit1.pas");
    EXPECT_NE(unit.find("'Caf\xE9 <>:\"|?* ''',\r\n"), std::string::npos) << "the friendly name is not kept";
    EXPECT_NE(unit.find("' lead ',\r\n"), std::string::npos) << "the description's blanks are not kept";
  }
  std::set<std::string> expected;
  for (const char* name : folders) expected.insert(std::string(name) + "/");
  std::set<std::string> top;
  for (const auto& e : fs::directory_iterator(dir.path())) top.insert(e.path().filename().string() + "/");
  EXPECT_EQ(top, expected);
}

// The program's own folder goes into the project's search path in the
// files' code page. One that code page cannot hold (Linux has no short
// names) is left out with a warning saying what to set by hand: written in
// UTF-8 or as a look-alike it would name another folder.
TEST(OddNames, TheProgramsFolderIsWrittenInTheCodePageOrLeftOutWithAWarning) {
  const struct {
    const char* folder;
    const char* written;  // nullptr: left out
  } cases[] = {{"caf\xC3\xA9", "caf\xE9"}, {"\xCE\xA9x", nullptr}, {"latin \xE9 byte", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    TempFolder dir;
    const std::string home = dir / c.folder, out = dir / "out";
    ASSERT_TRUE(fs::create_directory(home));
    fs::copy_file(QUILLFERN_CLI_EXE, home + "/quillfern-cli");
    std::string said;
    ASSERT_EQ(RunShell("'" + home + "/quillfern-cli' -a Excel -V XP --code-page 1252 -o '" + out + "' 2>&1", said), 0)
        << said;
    const std::string searchPath = CrLfLines(ReadBytes(fs::path(out) / "ExcelAddin1.dof")).at(1);
    const std::string warning = "warning: The folder of the library units, " + home +
                                "/LibraryFiles, cannot be written in code page 1252.\n"
                                "warning: Add it to the search path by hand: Project | Options | Directories/Conditionals.\n";
    if (c.written) {
      EXPECT_EQ(searchPath, "SearchPath=" + dir.str() + "/" + c.written + "/LibraryFiles");
      EXPECT_EQ(said.find("library units"), std::string::npos) << said;
    } else {
      EXPECT_EQ(searchPath, "SearchPath=");
      EXPECT_NE(said.find(warning), std::string::npos) << said;
    }
  }
  // A program that cannot read its own path (no /proc) warns the same way,
  // rather than writing a bare "LibraryFiles" that would name a folder beside
  // the project. (A sanitized program needs its path for itself.)
#ifndef QUILLFERN_SANITIZED
  TempFolder dir;
  std::string said;
  ASSERT_EQ(RunShell("strace -f -o /dev/null -e inject=readlink:error=ENOENT " + std::string(QUILLFERN_CLI_EXE) +
                         " -o '" + dir.str() + "' 2>&1",
                     said),
            0)
      << said;
  EXPECT_EQ(CrLfLines(ReadBytes(dir.path() / "AccessAddin1.dof")).at(1), "SearchPath=");
  EXPECT_NE(said.find("warning: The folder of the library units is not known: the program could not read its own "
                      "path.\nwarning: Add it to the search path by hand"),
            std::string::npos)
      << said;
#endif
}

class Links : public ::testing::Test {
 protected:
  TempFolder temp;
  std::string folder = temp / "project";
  std::string outside = temp / "outside.txt";
  void SetUp() override {
    fs::create_directory(folder);
    WriteBytes(outside, "precious");
  }
  CliResult Generate() { return RunCliWith({"-a", "Excel", "-V", "XP", "-o", folder, "--force"}); }
};

// At a file's name the link itself is moved aside as the backup; at a
// backup's name it makes way for the backup. Neither is followed.
TEST_F(Links, ASymbolicLinkAtAFilesOrItsBackupsNameIsReplacedAndItsTargetKept) {
  for (const char* name : {"Unit1.pas", "ExcelAddin1.dpr", "Readme.txt", "Unit1.~pas"}) {
    SCOPED_TRACE(name);
    fs::remove_all(folder);
    fs::create_directory(folder);
    WriteBytes(fs::path(folder) / "Unit1.pas", "mine");
    fs::remove(fs::path(folder) / name);
    fs::create_symlink(outside, fs::path(folder) / name);
    const CliResult r = Generate();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(outside), "precious");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(fs::path(folder) / name)));
    if (std::string(name) == "Unit1.~pas") {
      EXPECT_EQ(ReadBytes(fs::path(folder) / name), "mine");
    } else {
      EXPECT_EQ(fs::read_symlink(fs::path(folder) / generator::BackupName(name)), outside)
          << "the link is not its backup";
    }
  }
}

TEST_F(Links, ADanglingLinkCreatesNothingWhereItPoints) {
  const std::string nowhere = temp / "nowhere" ;
  fs::create_symlink(nowhere, fs::path(folder) / "Install.bat");
  const CliResult r = Generate();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(nowhere));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(fs::path(folder) / "Install.bat")));
}

// Nothing is ever written into a file that is there: the hard-linked file
// is renamed to its backup name whole, and the new one is a file of its own.
TEST_F(Links, AHardLinkedFileIsReplacedAndTheOtherNameKeepsItsBytes) {
  fs::create_hard_link(outside, fs::path(folder) / "Uninstall.bat");
  const CliResult r = Generate();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadBytes(outside), "precious");
  EXPECT_TRUE(fs::equivalent(outside, fs::path(folder) / "Uninstall.~bat")) << "the backup is the earlier file itself";
  EXPECT_EQ(fs::hard_link_count(outside), 2u);
  EXPECT_NE(ReadBytes(fs::path(folder) / "Uninstall.bat"), "precious");
}

TEST_F(Links, APipeOrALinkToADeviceIsNotWrittenInto) {
  ASSERT_EQ(::mkfifo((fs::path(folder) / "Install.bat").c_str(), 0666), 0);
  const CliResult pipe = Generate();  // would hang on a pipe opened for writing
  EXPECT_EQ(pipe.status, 1);
  EXPECT_NE(pipe.err.find("could not write " + folder + "/Install.bat: "), std::string::npos) << pipe.err;
  EXPECT_TRUE(fs::is_fifo(fs::path(folder) / "Install.bat"));
  // Nor is a pipe at a backup's name: the file it would keep stays as it was.
  fs::remove(fs::path(folder) / "Install.bat");
  WriteBytes(fs::path(folder) / "Unit1.pas", "mine");
  ASSERT_EQ(::mkfifo((fs::path(folder) / "Unit1.~pas").c_str(), 0666), 0);
  const CliResult backup = Generate();
  EXPECT_EQ(backup.status, 1);
  EXPECT_NE(backup.err.find("could not back up " + folder + "/Unit1.pas as Unit1.~pas: "), std::string::npos)
      << backup.err;
  EXPECT_EQ(ReadBytes(fs::path(folder) / "Unit1.pas"), "mine");
  EXPECT_TRUE(fs::is_fifo(fs::path(folder) / "Unit1.~pas"));
  fs::remove(fs::path(folder) / "Unit1.~pas");

  fs::remove(fs::path(folder) / "Install.bat");
  fs::create_symlink("/dev/null", fs::path(folder) / "Readme.txt");
  const CliResult device = Generate();
  EXPECT_EQ(device.status, 0) << device.err;
  EXPECT_GT(fs::file_size(fs::path(folder) / "Readme.txt"), 0u) << "the read-me went into /dev/null";
}

TEST_F(Links, AnOutputFolderThatIsALinkIsTheFolderTheUserNamed) {
  fs::create_directory(temp.path() / "real");
  fs::create_directory_symlink(temp.path() / "real", temp.path() / "alias");
  EXPECT_EQ(RunCliWith({"-o", temp / "alias"}).status, 0);
  EXPECT_EQ(ListTree(temp.path() / "real").size(), 7u);
}

}  // namespace
}  // namespace quillfern::testing
