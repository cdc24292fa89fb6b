// What the tests that need Windows itself share (here Wine, with its own
// registry, file system and window manager): registry entries and settings
// that put things back when the test ends, even a failing one; child
// processes; the windows on the desktop. Windows only.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/scoped.h"

namespace quillfern::testing {

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
  // The default value as a NUL-terminated REG_SZ (Text in UTF-8).
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

// Sets one of the user's regional settings (LOCALE_S...) to Value (UTF-8)
// while the owner lives and puts the previous text back afterwards.
class ScopedLocaleInfo {
 public:
  ScopedLocaleInfo(LCTYPE type, const std::string& value);
  ScopedLocaleInfo(const ScopedLocaleInfo&) = delete;
  ScopedLocaleInfo& operator=(const ScopedLocaleInfo&) = delete;
  ~ScopedLocaleInfo();

 private:
  LCTYPE type_;
  std::wstring previous_;
};

// True inside Wine (its ntdll exports wine_get_version).
bool RunningUnderWine();

// The folder of the running test program, with a trailing backslash; the
// programs under test are built into the same folder.
std::string ProgramFolder();

// The short (8.3) form of an existing path (UTF-8, like the other paths
// here), or empty when the system gives none.
std::string ShortPathOf(const std::string& path);

// A command line argument quoted for the Microsoft C runtime's parser.
std::string Quote(const std::string& argument);

// Text (UTF-8) in UTF-16, with a lone surrogate's three WTF-8 bytes as its
// code unit, so that a test can type or pass half a surrogate pair as a
// user can; other malformed bytes become U+FFFD.
std::wstring Utf16FromWtf8(std::string_view text);

// Every path on drive C: (in Wine the prefix's drive_c), as ListTree gives
// them, without going into a link (Wine links the user's shell folders,
// Desktop, Documents and the like, to the Unix home outside the prefix).
std::set<std::string> ListPrefix();

// A drive letter ("Q:") that names no drive; empty when every one does.
std::string UnusedDrive();

struct ProcessResult {
  DWORD exitCode = 0;
  std::string out;  // standard output, every byte
  std::string err;  // standard error, every byte
};

// Starts the command line (UTF-8) with these standard handles, which it
// inherits; the process's handle, empty (and the calling test failed) when
// it cannot be started.
platform::win32::ScopedFile StartProcess(const std::string& commandLine, HANDLE input, HANDLE output, HANDLE error);

// Runs the command line (UTF-8) to its end with its standard output and error
// captured. Fails the calling test (and returns exit code ~0) when the
// process cannot be started.
ProcessResult RunProcess(const std::string& commandLine);

// The command line that runs Program (quillfern-cli.exe from the program's
// folder when empty) with each argument quoted.
std::string CliCommandLine(const std::vector<std::string>& args, const std::string& program = "");
// quillfern-cli.exe from the program's folder, each argument quoted.
ProcessResult RunCliExecutable(const std::vector<std::string>& args);

// A drive letter of the Wine prefix mapped onto a Unix folder while the
// owner lives (a link in the prefix's dosdevices folder, made by running
// Unix ln, which Wine starts like any program). Fails the test outside Wine.
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

// Polls Condition every Interval until it holds or Timeout passes; true
// when it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20),
               std::chrono::milliseconds interval = std::chrono::milliseconds(20));

// The visible top-level windows on the desktop: of every process, or of
// Process alone when given.
std::set<HWND> VisibleTopLevelWindows(DWORD process = 0);

// Waits up to Timeout for a visible top-level window not in Before (and
// Wanted, when given); null if none came. With no time it only looks.
HWND WaitForNewWindow(const std::set<HWND>& before, std::chrono::milliseconds timeout,
                      const std::function<bool(HWND)>& wanted = nullptr);

// Waits until each process that Parent started, and each that those started,
// is waiting for input (its first windows are up) or has ended: at most
// BoundMs for each. Then a window that nothing opened has no excuse left.
void WaitForStartedProcesses(DWORD parent, DWORD boundMs = 20000);

std::string WindowTextOf(HWND window);  // UTF-8, through WM_GETTEXT, so it works across processes
std::string ClassOf(HWND window);
RECT FrameOf(HWND window);
std::vector<HWND> Children(HWND parent);
// The child of Window whose text is Caption, or null.
HWND ChildWithText(HWND window, const std::string& caption);

}  // namespace quillfern::testing
