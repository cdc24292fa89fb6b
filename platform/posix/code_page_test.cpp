// The code page on POSIX: Windows-1252 unless the caller says otherwise,
// and paths and letters taken as the bytes the system has.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace quillfern::platform {
namespace {

TEST(CodePage, Is1252AndTakesPathsAsTheirBytes) {
  EXPECT_EQ(DefaultCodePage(), 1252u);
  for (const std::string path : {"Caf\u00e9", "\u03a9mega", "a\xFF"}) {
    const Conversion c = PathFromUtf8(path);
    EXPECT_EQ(c.result, Conversion::Result::Exact) << path;  // the file functions take the bytes as they are
    EXPECT_EQ(c.bytes, path);
  }
}

TEST(AnsiUpperCase, RaisesOnlyAToZInUtf8Text) {
  EXPECT_EQ(AnsiUpperCase("caf\xc3\xa9"), "CAF\xc3\xa9");
}

}  // namespace
}  // namespace quillfern::platform
