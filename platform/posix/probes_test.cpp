// What only the POSIX probes do: no App Paths to look in, and the system's
// own read-only folders.
#include <gtest/gtest.h>

#include "platform/probes.h"

namespace quillfern::platform {
namespace {

TEST(PosixProbes, FindNoHostApplication) {
  EXPECT_EQ(FindHostApplication("excel.exe"), "");
}

TEST(PosixProbes, CallAFolderThatEvenRootCannotWriteProtected) {
  // procfs refuses new files to everybody.
  ASSERT_TRUE(FolderExists("/proc"));
  EXPECT_TRUE(IsFolderWriteProtected("/proc"));
}

TEST(PosixProbes, UpperCaseOnlyAsciiLettersOfUtf8Text) {
  EXPECT_EQ(AnsiUpperCase("caf\xc3\xa9"), "CAF\xc3\xa9");
}

}  // namespace
}  // namespace quillfern::platform
