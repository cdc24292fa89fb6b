// A generation as machines really stop it: the command-line generator killed
// at every system call of a run that replaces another project, a failure
// injected at every write, rename, link and flush (strace's fault
// injection), and two generations into one folder at once. After each, no
// earlier byte is lost, no file is cut or mixed, and a retry completes.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>

#include <gtest/gtest.h>

#include "generator/project_files.h"
#include "support/generator_support.h"
#include "support/posix_support.h"

namespace quillfern::testing {
namespace {

// The generator for Word with fixed values (so that a retry writes the same
// bytes), into Folder.
std::vector<std::string> Cli(const std::string& className, const std::string& classId, const fs::path& folder,
                             const std::string& app = "Word") {
  return {QUILLFERN_CLI_EXE, "-a", app, "-c", className, "--class-id", classId, "-o", folder.string()};
}

std::vector<std::string> UnderStrace(const std::string& injection, std::vector<std::string> argv) {
  argv.insert(argv.begin(), {"strace", "-o", "/dev/null", "-e", injection});
  return argv;
}

// Where the runs go: a file system in memory where there is one, since a
// disk's flushes would make hundreds of runs slow and what is tested here
// does not depend on them.
fs::path Scratch() {
  std::error_code error;
  return fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                                                  : fs::temp_directory_path();
}

// A folder holding one project, and a second project to be generated over
// it: what the folder held, and what the second run writes.
class ReplacingAProject : public ::testing::Test {
 protected:
  TempFolder temp{Scratch()};
  const fs::path base = temp.path() / "base", newer = temp.path() / "newer", work = temp.path() / "work";
  FileBytes earlier, written;
  std::vector<std::string> second = Cli("SecondAddin", "{22222222-2222-3333-4444-555555555555}", work);

  void SetUp() override {
#ifdef QUILLFERN_SANITIZED
    GTEST_SKIP() << "a sanitized generator makes thousands of system calls of its own: the plain build's tests "
                    "cover these";
#endif
    if (!HasStrace()) GTEST_SKIP() << "strace is not installed (scripts/install-packages tests)";
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    ASSERT_EQ(RunProgram(Cli("FirstAddin", "{11111111-2222-3333-4444-555555555555}", base, "Excel")), 0);
    ASSERT_EQ(RunProgram(Cli("SecondAddin", "{22222222-2222-3333-4444-555555555555}", newer)), 0);
    earlier = FilesIn(base);
    written = FilesIn(newer);
  }
  void TearDown() override { ::unsetenv("SOURCE_DATE_EPOCH"); }

  void Reset() {
    fs::remove_all(work);
    fs::copy(base, work);
  }
  // The system calls of one whole run, by name, as strace counts them.
  std::map<std::string, int> Calls() {
    Reset();
    const std::string log = (temp.path() / "calls.log").string();
    std::vector<std::string> argv = second;
    argv.insert(argv.begin(), {"strace", "-o", log});
    EXPECT_EQ(RunProgram(argv), 0);
    std::map<std::string, int> calls;
    std::ifstream lines(log);
    const std::regex call("^([a-z0-9_]+)\\(");
    std::smatch m;
    for (std::string line; std::getline(lines, line);)
      if (std::regex_search(line, m, call)) ++calls[m[1]];
    return calls;
  }
  // After a run that stopped: nothing lost, nothing cut; then a retry
  // writes the whole project and leaves no staging file behind.
  void ExpectSafeAndRetried(const std::string& what) {
    EXPECT_TRUE(NothingLost(earlier, work)) << what;
    EXPECT_TRUE(NoCutFile(earlier, written, work)) << what;
    std::vector<std::string> retry = second;
    retry.push_back("--force");
    std::string said;
    EXPECT_EQ(RunProgram(retry, &said), 0) << what << ": the retry failed: " << said;
    EXPECT_TRUE(NothingLost(earlier, work)) << what << ", after the retry";
    const FileBytes after = FilesIn(work);
    for (const auto& [name, bytes] : written) EXPECT_TRUE(after.count(name) && after.at(name) == bytes) << what << ": " << name;
    EXPECT_TRUE(generator::StagingLeftovers(work.string()).empty()) << what;
  }
};

// strace counts the calls of each system call on its own, so every call
// of the run is the Nth of its kind, for some N.
TEST_F(ReplacingAProject, KilledAtAnySystemCallItLosesNothingAndARetryCompletes) {
  const std::map<std::string, int> calls = Calls();
  int total = 0;
  for (const auto& [call, count] : calls) {
    for (int n = 1; n <= count; ++n, ++total) {
      Reset();
      RunProgram(UnderStrace("inject=" + call + ":signal=SIGKILL:when=" + std::to_string(n), second));
      ExpectSafeAndRetried("killed at " + call + " " + std::to_string(n));
      if (HasFailure()) return;
    }
  }
  EXPECT_GT(total, 100) << "the run makes fewer system calls than a generation can";
}

TEST_F(ReplacingAProject, AFailureAtAnyWriteRenameLinkOrFlushLosesNothing) {
  const std::map<std::string, int> calls = Calls();
  // Each call with the failures it meets on a real machine: a full disk or
  // a dying one, and a right taken away.
  const std::pair<const char*, std::vector<const char*>> faults[] = {
      {"write", {"ENOSPC", "EIO"}}, {"fsync", {"EIO"}},   {"rename", {"EIO", "EACCES"}}, {"renameat2", {"EIO", "EACCES"}},
      {"link", {"EIO", "EACCES"}},  {"fchmod", {"EIO"}}, {"openat", {"EACCES", "ENOSPC"}}};
  for (const auto& [call, errors] : faults) {
    const int count = calls.count(call) ? calls.at(call) : 0;
    for (const char* error : errors) {
      for (int n = 1; n <= count; ++n) {
        Reset();
        const std::string what = std::string(error) + " at " + call + " " + std::to_string(n);
        const int status = RunProgram(UnderStrace("inject=" + std::string(call) + ":error=" + error + ":when=" + std::to_string(n),
                                           second));
        EXPECT_TRUE(status == 0 || status == 1 || status == 3) << what << ": status " << status;
        ExpectSafeAndRetried(what);
        if (HasFailure()) return;
      }
    }
  }
}

// Two generations into one empty folder at the same moment, a few hundred
// times: one after the other, whole, never mixed; of two of the same class
// without --force, one creates the project and the other is refused.
TEST(Concurrency, TwoGenerationsIntoOneFolderNeverMixAndTheGuardHolds) {
  TempFolder temp{Scratch()};
  ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  const std::string x = "{33333333-2222-3333-4444-555555555555}", y = "{44444444-2222-3333-4444-555555555555}";
  ASSERT_EQ(RunProgram(Cli("XAddin", x, temp.path() / "x")), 0);
  ASSERT_EQ(RunProgram(Cli("YYYYYYYYAddin", y, temp.path() / "y")), 0);
  const FileBytes ofX = FilesIn(temp.path() / "x"), ofY = FilesIn(temp.path() / "y");
  const char* const shared[] = {"Unit1.pas", "Install.bat", "Uninstall.bat", "Readme.txt"};
#ifdef QUILLFERN_SANITIZED
  const int pairs = 40;  // a sanitized generator starts slowly: enough to meet the sanitizers
#else
  const int pairs = 400;
#endif
  for (int pair = 0; pair < pairs; ++pair) {
    const bool sameClass = pair % 2 == 1;
    const fs::path folder = temp.path() / ("pair" + std::to_string(pair));
    fs::create_directory(folder);
    std::string said[2];
    int status[2];
    const std::vector<std::string> runs[2] = {Cli("XAddin", x, folder),
                                              sameClass ? Cli("XAddin", x, folder) : Cli("YYYYYYYYAddin", y, folder)};
    pid_t pids[2];
    for (int i = 0; i < 2; ++i) {
      pids[i] = ::fork();
      if (pids[i] == 0) ::_exit(RunProgram(runs[i], nullptr));
    }
    for (int i = 0; i < 2; ++i) {
      int w = 0;
      ::waitpid(pids[i], &w, 0);
      status[i] = StatusOf(w);
    }
    const FileBytes now = FilesIn(folder);
    const std::string what = "pair " + std::to_string(pair) + (sameClass ? " (one class)" : " (two classes)");
    if (sameClass) {
      EXPECT_TRUE((status[0] == 0) != (status[1] == 0)) << what << ": statuses " << status[0] << ", " << status[1];
      EXPECT_EQ(now, ofX) << what << ": not the one project, whole, without backups";
      continue;
    }
    EXPECT_TRUE(status[0] == 0 && status[1] == 0) << what << ": statuses " << status[0] << ", " << status[1];
    // The one that wrote last holds the four shared names whole; the other's
    // are its backups.
    const bool yLast = now.count("Unit1.pas") && now.at("Unit1.pas") == ofY.at("Unit1.pas");
    const FileBytes& last = yLast ? ofY : ofX;
    const FileBytes& first = yLast ? ofX : ofY;
    for (const char* name : shared) {
      EXPECT_EQ(now.at(name), last.at(name)) << what << ": " << name << " is mixed";
      const std::string backup = generator::BackupName(name);
      if (first.at(name) != last.at(name)) {
        EXPECT_EQ(now.at(backup), first.at(name)) << what << ": " << backup;
      }
    }
    for (const FileBytes* project : {&ofX, &ofY}) {
      for (const auto& [name, bytes] : *project) {
        if (name.find("Addin.") == std::string::npos) continue;  // the project's own three
        EXPECT_EQ(now.at(name), bytes) << what << ": " << name;
      }
    }
    if (HasFailure()) break;
  }
  ::unsetenv("SOURCE_DATE_EPOCH");
}

}  // namespace
}  // namespace quillfern::testing
