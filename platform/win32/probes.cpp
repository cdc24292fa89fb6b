// The environment probes on Win32, through the ANSI forms of the calls so
// that paths and texts stay in the system code page.
#include <objbase.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/probes.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"

namespace quillfern::platform {

const char kPathDelimiter = '\\';

namespace {

using win32::ScopedErrorMode;
using win32::ScopedFile;
using win32::ScopedFind;
using win32::ScopedKey;
using win32::ScopedLocalMemory;
using win32::ScopedTaskString;

constexpr DWORD kPathBuffer = MAX_PATH + 1;
constexpr char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// The key's unnamed value when it is a non-empty string, up to its first NUL.
std::string ReadDefaultString(HKEY key) {
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  std::vector<char> data(size + 1, '\0');  // the stored value need not end in NUL
  if (::RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return std::string(data.data());
}

// GetLongPathNameA is looked up at run time: systems before Windows 98 and
// NT 5 lack it, and then the path stays as read.
std::string LongPathOf(const std::string& path) {
  using GetLongPathNameFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const auto getLongPathName =
      kernel ? reinterpret_cast<GetLongPathNameFn>(
                   reinterpret_cast<void*>(::GetProcAddress(kernel, "GetLongPathNameA")))
             : nullptr;
  if (!getLongPathName) return path;
  char buffer[kPathBuffer] = {};
  const DWORD n = getLongPathName(path.c_str(), buffer, kPathBuffer);
  return n > 0 && n < kPathBuffer ? std::string(buffer, n) : path;
}

// Opens Path for writing from its first byte, without sharing, creating it
// when missing. An existing entry that is a link (a reparse point, or a file
// with further hard links) is deleted and a new file made in its stead, so
// the bytes never land in a file outside the folder. INVALID_HANDLE_VALUE
// with the last error set when it cannot.
HANDLE OpenForReplacing(const std::string& path) {
  const auto createNew = [&path] {
    return ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  ScopedFile existing(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!existing) return ::GetLastError() == ERROR_FILE_NOT_FOUND ? createNew() : INVALID_HANDLE_VALUE;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(existing.get(), &info)) return INVALID_HANDLE_VALUE;
  const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks > 1;
  if (!link) {
    if (::SetEndOfFile(existing.get())) return existing.Release();
    const DWORD reason = ::GetLastError();
    existing.Reset();
    ::SetLastError(reason);
    return INVALID_HANDLE_VALUE;
  }
  existing.Reset();
  if (!::DeleteFileA(path.c_str())) return INVALID_HANDLE_VALUE;
  return createNew();
}

}  // namespace

std::string FolderPart(std::string_view path) {
  // On double-byte code pages a '\' can be the second byte of a character.
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (::IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == ':') end = i + 1;
  }
  return std::string(path.substr(0, end));
}

std::string FindHostApplication(const std::string& exeName) {
  std::string result;
  {
    ScopedKey key;
    const std::string name = kAppPathsKey + exeName;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
      return {};
    result = ReadDefaultString(key.get());
    if (!result.empty() && !FileExists(result)) result.clear();
  }
  return result.empty() ? result : LongPathOf(result);
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAA found{};
  ScopedFind search(::FindFirstFileA(path.c_str(), &found));
  return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool MakeFolder(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool IsVolumeRoot(std::string_view path) {
  return path.empty() || (path.size() == 2 && path[1] == ':');
}

bool IsFolderWriteProtected(const std::string& folder, std::string* reason) {
  // A drive without a medium or a write-protected one answers with an
  // error code instead of a system dialog.
  const ScopedErrorMode quiet(SEM_FAILCRITICALERRORS);
  std::string dir = folder;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  // GetTempFileNameA takes a folder of at most MAX_PATH - 14 characters and
  // writes up to MAX_PATH into the buffer; some implementations (Wine's)
  // write past it for a longer folder instead of failing. So refuse such a
  // folder here, and give the buffer room to spare.
  char probe[2 * kPathBuffer] = {};
  if (dir.size() > MAX_PATH - 14) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
  } else if (::GetTempFileNameA(dir.c_str(), "RWRO", 0, probe) != 0 && ::DeleteFileA(probe)) {
    return false;
  }
  if (reason) *reason = LastErrorText();
  return true;
}

bool WriteWholeFile(const std::string& path, std::string_view content) {
  ScopedFile file(OpenForReplacing(path));
  if (!file) return false;
  bool ok = true;
  if (!content.empty()) {
    DWORD written = 0;
    ok = ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) != FALSE;
    if (ok && written != content.size()) {
      ok = false;
      ::SetLastError(ERROR_HANDLE_DISK_FULL);  // a short write without an error of its own
    }
  }
  if (file.Reset() && ok) return true;
  // A file cut short must not be left looking like a finished one; the
  // caller reports the error, so keep the system's reason for it.
  const DWORD reason = ::GetLastError();
  ::DeleteFileA(path.c_str());
  ::SetLastError(reason);
  return false;
}

std::string LastErrorText() {
  const DWORD code = ::GetLastError();
  ScopedLocalMemory text;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(text.receive()), 0, nullptr);
  std::string message(text ? text.get() : "", text ? n : 0);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' ' ||
                              message.back() == '.'))
    message.pop_back();
  if (message.empty()) message = "system error " + std::to_string(code);
  return message;
}

std::string ProgramPath() {
  char self[kPathBuffer] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, self, kPathBuffer);
  return std::string(self, n < kPathBuffer ? n : 0);
}

std::string NewGuidText() {
  // A failed CoCreateGuid leaves no identifier worth writing: an all-zero
  // one would clash with every other project made the same way.
  GUID guid{};
  if (FAILED(::CoCreateGuid(&guid))) throw std::runtime_error("Unable to create a GUID");
  ScopedTaskString wide;
  if (FAILED(::StringFromCLSID(guid, wide.receive())) || !wide) throw std::runtime_error("Unable to create a GUID");
  std::string text;
  for (const wchar_t* c = wide.get(); *c; ++c) text += static_cast<char>(*c);  // hex digits, braces, hyphens
  return text;
}

LocalDateTime Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string DateTimeText(const LocalDateTime& when) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(when.year);
  t.wMonth = static_cast<WORD>(when.month);
  t.wDay = static_cast<WORD>(when.day);
  t.wHour = static_cast<WORD>(when.hour);
  t.wMinute = static_cast<WORD>(when.minute);
  t.wSecond = static_cast<WORD>(when.second);
  char date[128] = {}, time[128] = {};
  const int dn = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date);
  std::string text(date, dn > 0 ? dn - 1 : 0);
  if (when.hour != 0 || when.minute != 0 || when.second != 0) {
    const int tn = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, sizeof time);
    text += ' ' + std::string(time, tn > 0 ? tn - 1 : 0);
  }
  return text;
}

std::string AnsiUpperCase(std::string_view text) {
  std::string upper(text);
  if (!upper.empty()) ::CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

std::wstring CurrentDirectoryUtf16() {
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(needed, folder.data());
  folder.resize(length < needed ? length : 0);
  return folder;
}

// Read in UTF-16: the narrow call would give look-alikes for characters
// the system code page lacks, which name another folder.
std::string CurrentDirectory() { return Utf8FromUtf16(CurrentDirectoryUtf16()); }

}  // namespace quillfern::platform
