#include "support/win32_support.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/utf8.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"

namespace quillfern::testing {

using platform::win32::ScopedFile;

namespace {

using platform::win32::ScopedKey;

constexpr char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// The key's default value as its type and bytes; false when it has none.
bool ReadDefault(HKEY key, DWORD& type, std::string& bytes) {
  DWORD size = 0;
  if (::RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  bytes.assign(size, '\0');
  if (size == 0) return true;
  return ::RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
         ERROR_SUCCESS;
}

void SetValue(const std::string& key, const std::string& name, DWORD type, std::string_view bytes) {
  ScopedKey open;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, open.receive()),
            ERROR_SUCCESS)
      << key;
  ASSERT_EQ(::RegSetValueExA(open.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS)
      << key << " value '" << name << "'";
}

}  // namespace

ScopedAppPath::ScopedAppPath(std::string exeName) : key_(kAppPaths + exeName) {
  ScopedKey key;
  DWORD disposition = 0;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr,
                        key.receive(), &disposition) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot create HKLM\\" << key_;
    return;
  }
  existed_ = disposition == REG_OPENED_EXISTING_KEY;
  if (existed_) {
    hadDefault_ = ReadDefault(key.get(), previousType_, previousDefault_);
    ::RegDeleteValueA(key.get(), "");
  }
}

ScopedAppPath::~ScopedAppPath() {
  if (!existed_) {
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
    return;
  }
  ScopedKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_SET_VALUE, key.receive()) != ERROR_SUCCESS)
    return;
  for (const std::string& name : named_) ::RegDeleteValueA(key.get(), name.c_str());
  if (hadDefault_) {
    ::RegSetValueExA(key.get(), "", 0, previousType_, reinterpret_cast<const BYTE*>(previousDefault_.data()),
                     static_cast<DWORD>(previousDefault_.size()));
  } else {
    ::RegDeleteValueA(key.get(), "");
  }
}

void ScopedAppPath::SetDefault(DWORD type, std::string_view bytes) { SetValue(key_, "", type, bytes); }

void ScopedAppPath::SetDefaultText(const std::string& text) {
  ScopedKey open;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_SET_VALUE, open.receive()), ERROR_SUCCESS)
      << key_;
  const std::wstring wide = platform::Utf16FromUtf8(text);
  ASSERT_EQ(::RegSetValueExW(open.get(), L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS)
      << key_;
}

void ScopedAppPath::SetNamed(const std::string& name, DWORD type, std::string_view bytes) {
  named_.push_back(name);
  SetValue(key_, name, type, bytes);
}

bool AppPathKeyExists(const std::string& exeName) {
  ScopedKey key;
  return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kAppPaths + exeName).c_str(), 0, KEY_READ, key.receive()) ==
         ERROR_SUCCESS;
}

ScopedLocaleInfo::ScopedLocaleInfo(LCTYPE type, const std::string& value) : type_(type) {
  wchar_t previous[128] = {};
  const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, previous, 128);
  previous_.assign(previous, n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  EXPECT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, type, platform::Utf16FromUtf8(value).c_str()))
      << "locale setting " << type;
}

ScopedLocaleInfo::~ScopedLocaleInfo() { ::SetLocaleInfoW(LOCALE_USER_DEFAULT, type_, previous_.c_str()); }

bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ProgramFolder() {
  wchar_t self[MAX_PATH + 1] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
  const std::string path = platform::Utf8FromUtf16(std::wstring_view(self, n));
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string ShortPathOf(const std::string& path) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetShortPathNameW(platform::Utf16FromUtf8(path).c_str(), buffer, MAX_PATH + 1);
  return n > 0 && n < MAX_PATH + 1 ? platform::Utf8FromUtf16(std::wstring_view(buffer, n)) : std::string();
}

std::string Quote(const std::string& argument) {
  // Backslashes double only where they come before a quote.
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

namespace {

// A pipe whose one end the child inherits.
struct Pipe {
  ScopedFile read, write;
};

Pipe MakePipe(bool childReads) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Pipe pipe;
  if (!::CreatePipe(pipe.read.receive(), pipe.write.receive(), &inherit, 0)) return pipe;
  // Only the child's end is inherited.
  ::SetHandleInformation(childReads ? pipe.write.get() : pipe.read.get(), HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

std::string ReadAll(HANDLE from) {
  std::string bytes;
  char chunk[4096];
  DWORD n = 0;
  while (::ReadFile(from, chunk, sizeof chunk, &n, nullptr) && n > 0) bytes.append(chunk, n);
  return bytes;
}

}  // namespace

std::wstring Utf16FromWtf8(std::string_view text) {
  std::wstring wide;
  for (std::size_t at = 0; at < text.size();) {
    const platform::Decoded d = platform::DecodeUtf8(text, at);
    const char32_t c = d.ok || d.loneSurrogate ? d.character : 0xFFFD;
    if (c >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
    at += d.length;
  }
  return wide;
}

std::set<std::string> ListPrefix() {
  namespace fs = std::filesystem;
  const fs::path root = "C:\\";
  std::set<std::string> paths;
  // Folder by folder, so that one that goes while it is listed (Wine's own
  // programs keep files in the prefix) is passed over rather than the end.
  std::vector<fs::path> folders{root};
  while (!folders.empty()) {
    const fs::path folder = folders.back();
    folders.pop_back();
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      std::error_code gone;
      const bool directory = it->is_directory(gone);
      paths.insert(it->path().lexically_relative(root).generic_u8string() + (directory ? "/" : ""));
      // A link (Wine links the user's shell folders to the Unix home) leads out of the prefix.
      if (directory && (::GetFileAttributesW(it->path().c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        folders.push_back(it->path());
    }
  }
  return paths;
}

std::string UnusedDrive() {
  const DWORD used = ::GetLogicalDrives();
  for (char letter = 'Y'; letter > 'D'; --letter)
    if (!(used & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
  return {};
}

ScopedFile StartProcess(const std::string& commandLine, HANDLE input, HANDLE output, HANDLE error) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION info{};
  std::wstring command = Utf16FromWtf8(commandLine);
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
    ADD_FAILURE() << "cannot start " << commandLine << " (error " << ::GetLastError() << ")";
    return ScopedFile();
  }
  ::CloseHandle(info.hThread);
  return ScopedFile(info.hProcess);
}

ProcessResult RunProcess(const std::string& commandLine) {
  ProcessResult result;
  result.exitCode = ~DWORD{0};
  Pipe out = MakePipe(false), err = MakePipe(false), in = MakePipe(true);
  if (!out.write || !err.write || !in.read) {
    ADD_FAILURE() << "cannot make pipes";
    return result;
  }
  ScopedFile process = StartProcess(commandLine, in.read.get(), out.write.get(), err.write.get());
  // Only the child holds the writing ends now, so the reads end with it.
  out.write.Reset();
  err.write.Reset();
  in.read.Reset();
  in.write.Reset();
  if (!process) return result;
  // Standard error is read on a thread of its own so neither pipe can fill up.
  std::thread errReader([&] { result.err = ReadAll(err.read.get()); });
  result.out = ReadAll(out.read.get());
  errReader.join();
  ::WaitForSingleObject(process.get(), INFINITE);
  ::GetExitCodeProcess(process.get(), &result.exitCode);
  return result;
}

std::string CliCommandLine(const std::vector<std::string>& args, const std::string& program) {
  std::string commandLine = Quote(program.empty() ? ProgramFolder() + "quillfern-cli.exe" : program);
  for (const std::string& arg : args) commandLine += " " + Quote(arg);
  return commandLine;
}

ProcessResult RunCliExecutable(const std::vector<std::string>& args) { return RunProcess(CliCommandLine(args)); }

namespace {

// Whether Drive ("R:") names a folder now.
bool DriveIsThere(const std::string& drive) {
  const DWORD attributes = ::GetFileAttributesA((drive + "\\").c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// ln and rm are Unix programs, which Wine starts directly; it gives neither
// their exit status nor, reliably, their end, so what they did is waited for.
ScopedWineDrive::ScopedWineDrive(const std::string& unixFolder) {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!RunningUnderWine() || !prefix || !*prefix) {
    ADD_FAILURE() << "needs Wine with WINEPREFIX set to the build's own prefix";
    return;
  }
  const DWORD used = ::GetLogicalDrives();
  for (char letter = 'R'; letter <= 'Y'; ++letter) {
    if (used & (1u << (letter - 'A'))) continue;
    const std::string link = std::string(prefix) + "/dosdevices/" + char(letter - 'A' + 'a') + ":";
    RunProcess("Z:\\bin\\ln -s " + Quote(unixFolder) + " " + Quote(link));
    const std::string drive = std::string(1, letter) + ":";
    if (!WaitUntil([&] { return DriveIsThere(drive); }, std::chrono::seconds(10))) {
      ADD_FAILURE() << "linking " << link << " to " << unixFolder << " gave no drive " << drive;
      RunProcess("Z:\\bin\\rm -f " + Quote(link));
      return;
    }
    link_ = link;
    drive_ = drive;
    return;
  }
  ADD_FAILURE() << "no free drive letter for " << unixFolder;
}

ScopedWineDrive::~ScopedWineDrive() {
  if (link_.empty()) return;
  RunProcess("Z:\\bin\\rm -f " + Quote(link_));
  WaitUntil([&] { return !DriveIsThere(drive_); }, std::chrono::seconds(10));
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(interval);
  }
  return true;
}

std::set<HWND> VisibleTopLevelWindows(DWORD process) {
  struct Search {
    DWORD process;
    std::set<HWND> found;
  } search{process, {}};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (::IsWindowVisible(window) && (!s->process || owner == s->process)) s->found.insert(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForNewWindow(const std::set<HWND>& before, std::chrono::milliseconds timeout,
                      const std::function<bool(HWND)>& wanted) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : VisibleTopLevelWindows())
          if (!before.count(window) && (!wanted || wanted(window))) found = window;
        return found != nullptr;
      },
      timeout);
  return found;
}

void WaitForStartedProcesses(DWORD parent, DWORD boundMs) {
  std::vector<DWORD> pending{parent}, seen{parent};
  while (!pending.empty()) {
    const DWORD current = pending.back();
    pending.pop_back();
    const ScopedFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) break;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
      const DWORD id = entry.th32ProcessID;
      if (entry.th32ParentProcessID != current || std::count(seen.begin(), seen.end(), id)) continue;
      seen.push_back(id);
      pending.push_back(id);
      if (const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id)) {
        const ScopedFile owner(process);
        // A process without windows (a console program) is not waited for.
        ::WaitForInputIdle(process, boundMs);
      }
    }
  }
}

std::string WindowTextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return platform::Utf8FromUtf16(text);
}

std::string ClassOf(HWND window) {
  std::array<char, 256> name{};
  ::GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  return name.data();
}

RECT FrameOf(HWND window) {
  RECT frame{};
  ::GetWindowRect(window, &frame);
  return frame;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

HWND ChildWithText(HWND window, const std::string& caption) {
  for (HWND child : Children(window))
    if (WindowTextOf(child) == caption) return child;
  return nullptr;
}

}  // namespace quillfern::testing
