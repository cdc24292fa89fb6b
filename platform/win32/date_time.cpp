// The local date and time on Win32, in the user's regional formats.
#include <windows.h>

#include <string>

#include "platform/date_time.h"

namespace quillfern::platform {

LocalDateTime Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string DateTimeText(const LocalDateTime& when) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(when.year);
  t.wMonth = static_cast<WORD>(when.month);
  t.wDay = static_cast<WORD>(when.day);
  t.wHour = static_cast<WORD>(when.hour);
  t.wMinute = static_cast<WORD>(when.minute);
  t.wSecond = static_cast<WORD>(when.second);
  char date[128] = {}, time[128] = {};
  const int dn = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date);
  std::string text(date, dn > 0 ? dn - 1 : 0);
  if (when.hour != 0 || when.minute != 0 || when.second != 0) {
    const int tn = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, sizeof time);
    text += ' ' + std::string(time, tn > 0 ? tn - 1 : 0);
  }
  return text;
}

}  // namespace quillfern::platform
