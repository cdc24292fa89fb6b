// The program's own path and the host application's App Paths entry on
// Win32, read in UTF-16 so that a path the system code page cannot hold
// comes back as it is named rather than as a look-alike.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/program.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"

namespace quillfern::platform {

namespace {

using win32::ScopedKey;

// Windows fills path buffers of MAX_PATH characters and a terminator.
constexpr DWORD kPathBuffer = MAX_PATH + 1;
constexpr wchar_t kAppPathsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// The key's unnamed value when it is a non-empty string, up to its first NUL.
std::wstring ReadDefaultString(HKEY key) {
  DWORD type = 0, size = 0;
  if (::RegQueryValueExW(key, L"", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  // The stored value need not end in NUL, nor be a whole number of characters.
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  if (::RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return std::wstring(data.data());
}

// GetLongPathNameW is looked up at run time: systems before Windows 98 and
// NT 5 lack it, and then the path stays as read.
std::wstring LongPathOf(const std::wstring& path) {
  using GetLongPathNameFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto getLongPathName =
      kernel ? reinterpret_cast<GetLongPathNameFn>(
                   reinterpret_cast<void*>(::GetProcAddress(kernel, "GetLongPathNameW")))
             : nullptr;
  if (!getLongPathName) return path;
  wchar_t buffer[kPathBuffer] = {};
  const DWORD n = getLongPathName(path.c_str(), buffer, kPathBuffer);
  return n > 0 && n < kPathBuffer ? std::wstring(buffer, n) : path;
}

}  // namespace

std::string FindHostApplication(const std::string& exeName, std::optional<RegistryView> view) {
  std::wstring result;
  {
    ScopedKey key;
    const std::wstring name = kAppPathsKey + Utf16FromUtf8(exeName);
    const REGSAM viewFlag = !view ? 0 : *view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ | viewFlag, key.receive()) != ERROR_SUCCESS)
      return {};
    result = ReadDefaultString(key.get());
    if (!result.empty() && !FileExists(Utf8FromUtf16(result))) result.clear();
  }
  return result.empty() ? std::string() : Utf8FromUtf16(LongPathOf(result));
}

std::string ProgramPath() {
  wchar_t self[kPathBuffer] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, self, kPathBuffer);
  return Utf8FromUtf16(std::wstring_view(self, n < kPathBuffer ? n : 0));
}

}  // namespace quillfern::platform
