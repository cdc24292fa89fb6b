// The Windows registry, read only: keys under HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE in the 32-bit or the 64-bit view, their subkeys and
// values, and a value's type and bytes. One header, two implementations
// (win32/registry.cpp, posix/registry.cpp, which has no registry to read).
// Nothing here creates, changes or deletes a key or a value. Key paths and
// names are UTF-8; a value's data is the bytes the registry holds (UTF-16LE
// for the string types), for the caller to make sense of.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace quillfern::platform {

enum class RegistryHive { CurrentUser, LocalMachine };

// On 64-bit Windows, HKLM\Software and the classes' CLSID keys are kept
// apart for 32-bit and 64-bit programs; each program sees its own view
// unless it asks for the other. (On 32-bit Windows both name the one view.)
enum class RegistryView { Bits32, Bits64 };

// The registry's value types that the callers tell apart.
inline constexpr std::uint32_t kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
                               kRegMultiSz = 7, kRegQword = 11;

// False where there is no Windows registry (POSIX): every read below then
// fails with std::errc::not_supported.
bool RegistryAvailable();

// A key's subkeys and value names, in the registry's order. Present is
// false for a key that is not there (no error then); Error holds why a key
// that is there could not be opened or listed (no right to it).
struct RegistryListing {
  bool present = false;
  std::vector<std::string> subkeys;
  std::vector<std::string> values;  // "" is the key's default value
  std::error_code error;
};
RegistryListing ListRegistryKey(RegistryHive hive, RegistryView view, const std::string& path);

// True when the key is there and can be opened for reading.
bool RegistryKeyExists(RegistryHive hive, RegistryView view, const std::string& path);

// One value: Present is false when the key or the value is not there (no
// error then); Error holds why it could not be read.
struct RegistryValue {
  bool present = false;
  std::uint32_t type = kRegNone;
  std::string data;
  std::error_code error;
};
// Name "" reads the key's default value.
RegistryValue ReadRegistryValue(RegistryHive hive, RegistryView view, const std::string& path,
                                const std::string& name);

// Text with its %NAME% references to environment variables expanded, as
// COM does for a REG_EXPAND_SZ path; unchanged where nothing expands it
// (POSIX) or a name is not set.
std::string ExpandEnvironmentReferences(const std::string& text);

}  // namespace quillfern::platform
