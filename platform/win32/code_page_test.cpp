// The code page on Windows: the system's own, and paths as the wide file
// functions take them.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace quillfern::platform {
namespace {

TEST(CodePage, IsTheSystemsAndNamesEveryPathButMalformedText) {
  EXPECT_EQ(DefaultCodePage(), ::GetACP());
  for (const std::string path : {"Caf\u00e9", "\u03a9mega"}) {
    const Conversion c = PathFromUtf8(path);
    EXPECT_EQ(c.result, Conversion::Result::Exact) << path;
    EXPECT_EQ(c.bytes, path);
  }
  const Conversion malformed = PathFromUtf8("a\xFF");
  EXPECT_EQ(malformed.result, Conversion::Result::NotUtf8);
  EXPECT_EQ(malformed.bytes, "");
}

}  // namespace
}  // namespace quillfern::platform
