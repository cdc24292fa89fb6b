// The library units ship beside the program, where the search path that it
// writes into every generated project points.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/program.h"
#include "support/test_support.h"

namespace quillfern {
namespace {

using testing::ReadBytes;
using testing::SameBytes;

TEST(LibraryFiles, LieWhereTheGeneratedSearchPathPoints) {
  const std::string beside = platform::LibrarySearchPath() + platform::kPathDelimiter + "OfficeAddins.pas";
  ASSERT_TRUE(platform::FileExists(beside)) << beside;
  EXPECT_TRUE(SameBytes(ReadBytes(QUILLFERN_LIBRARY_SOURCE "/OfficeAddins.pas"), ReadBytes(beside)));
}

}  // namespace
}  // namespace quillfern
