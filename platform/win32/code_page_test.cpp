// The code page on Windows: the system's own, and paths as the wide file
// functions take them.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace quillfern::platform {
namespace {

TEST(CodePage, IsTheSystemsAndNamesNoPathByMalformedText) {
  EXPECT_EQ(DefaultCodePage(), ::GetACP());
  // The wide file functions name every character, but no malformed text.
  const Conversion c = PathFromUtf8("a\xFF");
  EXPECT_EQ(c.result, Conversion::Result::NotUtf8);
  EXPECT_EQ(c.bytes, "");
}

}  // namespace
}  // namespace quillfern::platform
