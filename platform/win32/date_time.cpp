// The local date and time on Win32, in the user's regional formats.
#include <windows.h>

#include <string>

#include "platform/date_time.h"
#include "platform/win32/utf16.h"

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
  // Wide: the user's formats may hold characters the system code page lacks
  // (a Korean afternoon mark on a Western system).
  wchar_t date[128] = {}, time[128] = {};
  const int dn = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 128);
  std::wstring text(date, dn > 0 ? dn - 1 : 0);
  if (when.hour != 0 || when.minute != 0 || when.second != 0) {
    const int tn = ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, 128);
    text += L' ' + std::wstring(time, tn > 0 ? tn - 1 : 0);
  }
  return Utf8FromUtf16(text);
}

}  // namespace quillfern::platform
