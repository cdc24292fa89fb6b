// The local date and time, and how the user writes them. One header, two
// implementations (win32/date_time.cpp, posix/date_time.cpp).
#pragma once

#include <string>

namespace quillfern::platform {

struct LocalDateTime {
  int year, month, day, hour, minute, second;
};

// The local date and time now.
LocalDateTime Now();

// When as text in the user's formats: the short date, a blank and the long
// time; the time is left out at midnight exactly. In UTF-8 (on POSIX: in
// the encoding of the locale's time formats, which is UTF-8 on any current
// system). A part the system cannot format is left empty.
std::string DateTimeText(const LocalDateTime& when);

}  // namespace quillfern::platform
