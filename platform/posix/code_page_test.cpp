// The code page on POSIX: Windows-1252 unless the caller says otherwise,
// and paths and letters taken as the bytes the system has.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace quillfern::platform {
namespace {

TEST(CodePage, Is1252AndTakesAnyPathAndLettersAsBytes) {
  EXPECT_EQ(DefaultCodePage(), 1252u);
  const Conversion c = PathFromUtf8("a\xFF");  // not UTF-8, but a name the file functions take
  EXPECT_EQ(c.result, Conversion::Result::Exact);
  EXPECT_EQ(c.bytes, "a\xFF");
  EXPECT_EQ(AnsiUpperCase("caf\xc3\xa9"), "CAF\xc3\xa9") << "UTF-8 text: only A to Z change";
}

}  // namespace
}  // namespace quillfern::platform
