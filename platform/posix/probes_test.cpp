// What only the POSIX probes do: upper-case the ASCII letters and nothing
// else of UTF-8 text.
#include <gtest/gtest.h>

#include "platform/probes.h"

namespace quillfern::platform {
namespace {

TEST(PosixProbes, UpperCaseOnlyAsciiLettersOfUtf8Text) {
  EXPECT_EQ(AnsiUpperCase("caf\xc3\xa9"), "CAF\xc3\xa9");
}

}  // namespace
}  // namespace quillfern::platform
