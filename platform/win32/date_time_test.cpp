// The read-me's date in the formats the user chose in the regional settings, as UTF-8.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "support/win32_support.h"

namespace quillfern::platform {
namespace {

using testing::ScopedLocaleInfo;

TEST(DateTimeText, FollowsTheFormatsTheUserChose) {
  struct Case {
    const char* shortDate;
    const char* time;
    LocalDateTime when;
    const char* expected;
  };
  const Case cases[] = {
      {"dd.MM.yyyy", "HH:mm:ss", {2026, 12, 9, 14, 5, 7}, "09.12.2026 14:05:07"},
      {"dd.MM.yyyy", "HH:mm:ss", {2026, 12, 9, 0, 0, 0}, "09.12.2026"},
      {"dd.MM.yyyy", "HH:mm:ss", {2026, 12, 9, 0, 0, 1}, "09.12.2026 00:00:01"},
      {"yyyy-MM-dd", "h:mm:ss tt", {2001, 3, 4, 23, 59, 59}, "2001-03-04 11:59:59 PM"},
      {"M/d/yy", "H.mm", {2001, 3, 4, 9, 30, 0}, "3/4/01 9.30"},
      // Text of the user's own in the formats comes back as typed, whatever
      // the system code page holds.
      {"yyyy'年'M'月'd'日'", "H'ч' mm", {2026, 12, 9, 14, 5, 7}, "2026年12月9日 14ч 05"},
  };
  for (const Case& c : cases) {
    const ScopedLocaleInfo date(LOCALE_SSHORTDATE, c.shortDate), time(LOCALE_STIMEFORMAT, c.time);
    EXPECT_EQ(DateTimeText(c.when), c.expected) << c.shortDate << " " << c.time;
  }
}

}  // namespace
}  // namespace quillfern::platform
