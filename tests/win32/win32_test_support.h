// Helpers for the tests that need Windows itself (here Wine, with its own
// registry and file system): registry entries and settings that put things
// back when the test ends, even a failing one; child processes; windows.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/scoped.h"

namespace quillfern::testing::win32 {

using platform::win32::ScopedFile;

// An App Paths entry for ExeName under HKEY_LOCAL_MACHINE while the owner
// lives. A key the owner created is deleted afterwards; one that stood before
// gets its default value back and loses the named values set here.
class ScopedAppPath {
 public:
  explicit ScopedAppPath(std::string exeName);
  ScopedAppPath(const ScopedAppPath&) = delete;
  ScopedAppPath& operator=(const ScopedAppPath&) = delete;
  ~ScopedAppPath();

  // The default value: exactly these bytes with this type.
  void SetDefault(DWORD type, std::string_view bytes);
  // The default value as a NUL-terminated REG_SZ.
  void SetDefaultText(const std::string& text);
  void SetNamed(const std::string& name, DWORD type, std::string_view bytes);

 private:
  std::string key_;
  bool existed_ = false;
  bool hadDefault_ = false;
  DWORD previousType_ = REG_NONE;
  std::string previousDefault_;
  std::vector<std::string> named_;
};

// True when the App Paths key for ExeName exists.
bool AppPathKeyExists(const std::string& exeName);

// Sets one of the user's regional settings (LOCALE_S...) while the owner
// lives and puts the previous text back afterwards.
class ScopedLocaleInfo {
 public:
  ScopedLocaleInfo(LCTYPE type, const std::string& value);
  ScopedLocaleInfo(const ScopedLocaleInfo&) = delete;
  ScopedLocaleInfo& operator=(const ScopedLocaleInfo&) = delete;
  ~ScopedLocaleInfo();

 private:
  LCTYPE type_;
  std::string previous_;
};


// A file created (empty) for the owner's lifetime; its folders must exist.
class ScopedFileOnDisk {
 public:
  explicit ScopedFileOnDisk(std::string path);
  ScopedFileOnDisk(const ScopedFileOnDisk&) = delete;
  ScopedFileOnDisk& operator=(const ScopedFileOnDisk&) = delete;
  ~ScopedFileOnDisk();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// True inside Wine (its ntdll exports wine_get_version).
bool RunningUnderWine();

// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();

// The short (8.3) form of an existing path, or empty when the system gives none.
std::string ShortPathOf(const std::string& path);

// A command line argument quoted for the Microsoft C runtime's parser.
std::string Quote(const std::string& argument);

struct ProcessResult {
  DWORD exitCode = 0;
  std::string out;  // standard output, every byte
  std::string err;  // standard error, every byte
};

// Runs the command line to its end with its standard output and error
// captured. Fails the calling test (and returns exit code ~0) when the
// process cannot be started.
ProcessResult RunProcess(const std::string& commandLine);

// A process started with the test holding its standard input; it is waited
// for (after its input is closed) when the owner goes.
class ChildProcess {
 public:
  explicit ChildProcess(const std::string& commandLine);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();
  bool started() const { return static_cast<bool>(process_); }
  // The first line the child writes to its standard output, without the end
  // of line; empty when it ends without writing one.
  std::string ReadLine();
  // Closes the child's standard input and waits for it to end; its exit code.
  DWORD Finish();

 private:
  ScopedFile process_, input_, output_;
};

// A drive letter of the Wine prefix mapped onto a Unix folder while the
// owner lives (a link in the prefix's dosdevices folder, made by running
// Unix ln, which Wine starts like any program). Wine only.
class ScopedWineDrive {
 public:
  explicit ScopedWineDrive(const std::string& unixFolder);
  ScopedWineDrive(const ScopedWineDrive&) = delete;
  ScopedWineDrive& operator=(const ScopedWineDrive&) = delete;
  ~ScopedWineDrive();
  // "R:" and the like; empty when no drive could be mapped.
  const std::string& drive() const { return drive_; }

 private:
  std::string link_;
  std::string drive_;
};

// The visible top-level windows on the desktop, of every process.
std::set<HWND> VisibleTopLevelWindows();

// Waits up to Seconds for a visible top-level window not in Before; null if
// none. With no time it only looks.
HWND WaitForNewWindow(const std::set<HWND>& before, double seconds);

}  // namespace quillfern::testing::win32
