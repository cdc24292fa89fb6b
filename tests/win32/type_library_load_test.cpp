// The generated type library as Windows' own loader reads it.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"
#include "support/cli_support.h"

namespace quillfern {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

TEST(TypeLibraryLoaded, ShowsTheLibraryAndNothingElseAndHoldsTheNameHashWindowsComputes) {
  TempFolder dir;
  const testing::CliResult r = testing::RunCliWith({"-a", "Excel", "-o", dir.str()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string path = dir / "ExcelAddin1.tlb";
  platform::win32::ScopedCom<ITypeLib> library;
  ASSERT_EQ(::LoadTypeLibEx(platform::Utf16FromUtf8(path).c_str(), REGKIND_NONE, library.receive()), S_OK) << path;

  BSTR name = nullptr, doc = nullptr;
  ASSERT_EQ(library.get()->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
  EXPECT_EQ(platform::Utf8FromUtf16(name ? name : L""), "AddinLib");
  EXPECT_EQ(platform::Utf8FromUtf16(doc ? doc : L""), "AddinLib Library");
  ::SysFreeString(name);
  ::SysFreeString(doc);

  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library.get()->GetLibAttr(&attributes), S_OK);
  const GUID libid = {0xBCDEC32A, 0xDF97, 0x4DBC, {0xA1, 0x5C, 0x57, 0xDF, 0x12, 0x55, 0x8B, 0xBD}};
  EXPECT_TRUE(::IsEqualGUID(attributes->guid, libid));
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  EXPECT_EQ(attributes->lcid, 0u);
  EXPECT_EQ(attributes->syskind, SYS_WIN32);
  library.get()->ReleaseTLibAttr(attributes);

  EXPECT_EQ(library.get()->GetTypeInfoCount(), 0u);

  const std::string bytes = ReadBytes(path);
  ASSERT_GT(bytes.size(), 0x3EBu);
  const ULONG hash = ::LHashValOfNameSysA(SYS_WIN32, 0x0409, "AddinLib");
  EXPECT_EQ(static_cast<unsigned char>(bytes[0x3EA]), hash & 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0x3EB]), (hash >> 8) & 0xFF);
}

}  // namespace
}  // namespace quillfern
