// Reading the registry, on keys written here into the real one (Wine's)
// and removed again: listings, values of each type, absence told from
// failure, the two views of HKLM\Software, and App Paths in either view.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/program.h"
#include "platform/registry.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"
#include "support/test_support.h"

namespace quillfern::platform {
namespace {

using win32::ScopedKey;

REGSAM ViewFlag(RegistryView view) { return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }
HKEY RootOf(RegistryHive hive) { return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// A key of the test's own under Software, in one view, deleted with
// everything in it when the owner goes.
class ScopedTestKey {
 public:
  ScopedTestKey(RegistryHive hive, RegistryView view, const std::string& under = "Software\\")
      : hive_(hive), view_(view) {
    static int counter = 0;
    path_ = under + "Quillfern-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
    EXPECT_EQ(::RegCreateKeyExW(RootOf(hive), Utf16FromUtf8(path_).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS | ViewFlag(view), nullptr, key_.receive(), nullptr),
              ERROR_SUCCESS)
        << path_;
  }
  ScopedTestKey(const ScopedTestKey&) = delete;
  ScopedTestKey& operator=(const ScopedTestKey&) = delete;
  ~ScopedTestKey() {
    key_.Reset();
    ScopedKey parent;
    const std::size_t cut = path_.rfind('\\');
    if (::RegOpenKeyExW(RootOf(hive_), Utf16FromUtf8(path_.substr(0, cut)).c_str(), 0,
                        KEY_ALL_ACCESS | ViewFlag(view_), parent.receive()) == ERROR_SUCCESS)
      ::RegDeleteTreeW(parent.get(), Utf16FromUtf8(path_.substr(cut + 1)).c_str());
  }
  const std::string& path() const { return path_; }

  void Set(const std::string& name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(::RegSetValueExW(key_.get(), Utf16FromUtf8(name).c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  void SetText(const std::string& name, const std::string& text) {
    const std::wstring wide = Utf16FromUtf8(text);
    Set(name, REG_SZ, std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * 2));
  }
  void AddSubkey(const std::string& name) {
    ScopedKey sub;
    ASSERT_EQ(::RegCreateKeyExW(key_.get(), Utf16FromUtf8(name).c_str(), 0, nullptr, 0, KEY_READ | ViewFlag(view_),
                                nullptr, sub.receive(), nullptr),
              ERROR_SUCCESS);
  }

 private:
  RegistryHive hive_;
  RegistryView view_;
  std::string path_;
  ScopedKey key_;
};

std::string Utf16Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

TEST(Registry, ListsAKeyAndReadsEachValueAsItIsStored) {
  ScopedTestKey key(RegistryHive::CurrentUser, RegistryView::Bits64);
  struct Case {
    std::string name;
    DWORD type;
    std::string bytes;
  };
  const Case cases[] = {
      {"", REG_SZ, Utf16Bytes(L"default")},
      {"LoadBehavior", REG_DWORD, std::string("\x03\0\0\0", 4)},
      {"As text", REG_SZ, Utf16Bytes(L"3")},
      {"Expand", REG_EXPAND_SZ, Utf16Bytes(L"%SystemRoot%\\x.dll")},
      {"Binary", REG_BINARY, std::string("\x01\0\xFF", 3)},
      {"Empty", REG_BINARY, ""},
      {"W\xC3\xB6rter \xE2\x82\xAC", REG_SZ, Utf16Bytes(L"\u00e4")},
  };
  for (const Case& c : cases) key.Set(c.name, c.type, c.bytes);
  key.AddSubkey("AddinLib.First");
  key.AddSubkey("Zweit\xC3\xA9");

  const RegistryListing listing = ListRegistryKey(RegistryHive::CurrentUser, RegistryView::Bits64, key.path());
  EXPECT_TRUE(listing.present);
  EXPECT_FALSE(listing.error);
  EXPECT_EQ(listing.subkeys, (std::vector<std::string>{"AddinLib.First", "Zweit\xC3\xA9"}));
  EXPECT_EQ(listing.values.size(), std::size(cases));
  for (const Case& c : cases) {
    EXPECT_NE(std::find(listing.values.begin(), listing.values.end(), c.name), listing.values.end()) << c.name;
    const RegistryValue value = ReadRegistryValue(RegistryHive::CurrentUser, RegistryView::Bits64, key.path(), c.name);
    EXPECT_TRUE(value.present) << c.name;
    EXPECT_FALSE(value.error) << c.name;
    EXPECT_EQ(value.type, c.type) << c.name;
    EXPECT_EQ(value.data, c.bytes) << c.name;
  }
}

TEST(Registry, TellsWhatIsNotThereFromWhatCannotBeRead) {
  ScopedTestKey key(RegistryHive::CurrentUser, RegistryView::Bits64);
  const RegistryListing missing =
      ListRegistryKey(RegistryHive::CurrentUser, RegistryView::Bits64, key.path() + "\\missing");
  EXPECT_FALSE(missing.present);
  EXPECT_FALSE(missing.error);
  EXPECT_FALSE(RegistryKeyExists(RegistryHive::CurrentUser, RegistryView::Bits64, key.path() + "\\missing"));
  EXPECT_TRUE(RegistryKeyExists(RegistryHive::CurrentUser, RegistryView::Bits64, key.path()));
  for (const std::string& path : {key.path(), key.path() + "\\missing"}) {
    const RegistryValue value = ReadRegistryValue(RegistryHive::CurrentUser, RegistryView::Bits64, path, "none");
    EXPECT_FALSE(value.present) << path;
    EXPECT_FALSE(value.error) << path;
  }
}

// HKLM\Software is kept apart per view; HKCU\Software is one for both.
TEST(Registry, ReadsTheViewAskedFor) {
  ScopedTestKey machine32(RegistryHive::LocalMachine, RegistryView::Bits32);
  EXPECT_TRUE(RegistryKeyExists(RegistryHive::LocalMachine, RegistryView::Bits32, machine32.path()));
  EXPECT_FALSE(RegistryKeyExists(RegistryHive::LocalMachine, RegistryView::Bits64, machine32.path()));
  ScopedTestKey user(RegistryHive::CurrentUser, RegistryView::Bits64);
  EXPECT_TRUE(RegistryKeyExists(RegistryHive::CurrentUser, RegistryView::Bits32, user.path()));
}

// An entry written by a 32-bit installer is found in the 32-bit view; the
// 64-bit view has it exactly when App Paths is one key for both (as Wine
// keeps it).
TEST(FindHostApplication, LooksInTheViewAskedFor) {
  testing::TempFolder dir;
  const std::string host = dir / "host.exe";
  testing::WriteBytes(host, "MZ");
  ScopedTestKey entry(RegistryHive::LocalMachine, RegistryView::Bits32,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\");
  entry.SetText("", host);
  const std::string exe = entry.path().substr(entry.path().rfind('\\') + 1);
  EXPECT_EQ(FindHostApplication(exe, RegistryView::Bits32), host);
  const bool shared = RegistryKeyExists(RegistryHive::LocalMachine, RegistryView::Bits64, entry.path());
  EXPECT_EQ(FindHostApplication(exe, RegistryView::Bits64), shared ? host : "");
  EXPECT_EQ(FindHostApplication(exe), shared ? host : "") << "this program's own view is the 64-bit one";
}

TEST(ExpandEnvironmentReferences, ExpandsWhatIsSetAndKeepsTheRest) {
  ::SetEnvironmentVariableW(L"QUILLFERN_TEST_FOLDER", L"C:\\Tools");
  EXPECT_EQ(ExpandEnvironmentReferences("%QUILLFERN_TEST_FOLDER%\\a.dll"), "C:\\Tools\\a.dll");
  EXPECT_EQ(ExpandEnvironmentReferences("%QUILLFERN_NOT_SET%\\a.dll"), "%QUILLFERN_NOT_SET%\\a.dll");
  EXPECT_EQ(ExpandEnvironmentReferences("C:\\plain.dll"), "C:\\plain.dll");
  ::SetEnvironmentVariableW(L"QUILLFERN_TEST_FOLDER", nullptr);
}

}  // namespace
}  // namespace quillfern::platform
