// The registry on Win32, through the wide forms of the calls, every key
// opened with KEY_READ and the view asked for; nothing is ever created or
// written.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"

namespace quillfern::platform {

namespace {

using win32::ScopedKey;

std::error_code SystemError(LONG code) { return {static_cast<int>(code), std::system_category()}; }

HKEY RootOf(RegistryHive hive) { return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
REGSAM ViewFlag(RegistryView view) { return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

bool IsAbsence(LONG code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// Opens the key for reading; the registry's code when it cannot.
LONG OpenKey(RegistryHive hive, RegistryView view, const std::string& path, ScopedKey& key) {
  return ::RegOpenKeyExW(RootOf(hive), Utf16FromUtf8(path).c_str(), 0, KEY_READ | ViewFlag(view), key.receive());
}

}  // namespace

bool RegistryAvailable() { return true; }

RegistryListing ListRegistryKey(RegistryHive hive, RegistryView view, const std::string& path) {
  RegistryListing listing;
  ScopedKey key;
  if (const LONG code = OpenKey(hive, view, path, key)) {
    if (!IsAbsence(code)) listing.error = SystemError(code);
    return listing;
  }
  listing.present = true;
  DWORD longestSubkey = 0, longestValue = 0;
  if (const LONG code = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, &longestSubkey, nullptr,
                                           nullptr, &longestValue, nullptr, nullptr, nullptr)) {
    listing.error = SystemError(code);
    return listing;
  }
  // The longest names without their terminator; a name added meanwhile may
  // be longer, and is then skipped rather than read cut short.
  std::vector<wchar_t> name(std::max(longestSubkey, longestValue) + 2);
  // Subkeys and values are listed alike: the two calls take the same first
  // four arguments, and this needs none of the rest.
  const auto list = [&](auto enumerate, std::vector<std::string>& names) {
    for (DWORD i = 0;; ++i) {
      DWORD length = static_cast<DWORD>(name.size());
      const LONG code = enumerate(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (code == ERROR_NO_MORE_ITEMS) return true;
      if (code == ERROR_MORE_DATA) continue;
      if (code != ERROR_SUCCESS) {
        listing.error = SystemError(code);
        return false;
      }
      names.push_back(Utf8FromUtf16(std::wstring_view(name.data(), length)));
    }
  };
  if (list(::RegEnumKeyExW, listing.subkeys)) list(::RegEnumValueW, listing.values);
  return listing;
}

bool RegistryKeyExists(RegistryHive hive, RegistryView view, const std::string& path) {
  ScopedKey key;
  return OpenKey(hive, view, path, key) == ERROR_SUCCESS;
}

RegistryValue ReadRegistryValue(RegistryHive hive, RegistryView view, const std::string& path,
                                const std::string& name) {
  RegistryValue value;
  ScopedKey key;
  if (const LONG code = OpenKey(hive, view, path, key)) {
    if (!IsAbsence(code)) value.error = SystemError(code);
    return value;
  }
  const std::wstring valueName = Utf16FromUtf8(name);
  // The value can grow between asking its size and reading it: ask again.
  DWORD size = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = REG_NONE;
    value.data.assign(size, '\0');
    DWORD got = size;
    const LONG code = ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                                         size ? reinterpret_cast<BYTE*>(value.data.data()) : nullptr, &got);
    if (IsAbsence(code)) {
      value.data.clear();
      return value;
    }
    if (code == ERROR_MORE_DATA || (code == ERROR_SUCCESS && got > size)) {
      size = got;
      continue;
    }
    if (code != ERROR_SUCCESS) {
      value.data.clear();
      value.error = SystemError(code);
      return value;
    }
    value.present = true;
    value.type = type;
    value.data.resize(got);
    return value;
  }
  value.data.clear();
  value.error = SystemError(ERROR_MORE_DATA);
  return value;
}

std::string ExpandEnvironmentReferences(const std::string& text) {
  const std::wstring wide = Utf16FromUtf8(text);
  std::wstring expanded(wide.size() + 1, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = ::ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (n == 0) return text;
    if (n <= expanded.size()) return Utf8FromUtf16(std::wstring_view(expanded.data(), n - 1));
    expanded.assign(n, L'\0');  // n counts the terminator
  }
  return text;
}

}  // namespace quillfern::platform
