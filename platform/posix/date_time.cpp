// The local date and time on Linux and other POSIX systems, in the formats
// of the C locale that the environment names.
#include <ctime>
#include <locale.h>

#include "platform/date_time.h"
#include "platform/scoped.h"

namespace quillfern::platform {

namespace {

// A locale object from newlocale.
struct LocaleTraits {
  using Handle = locale_t;
  static Handle Invalid() { return locale_t{}; }
  static bool Close(Handle locale) {
    ::freelocale(locale);
    return true;
  }
};
using ScopedLocale = Scoped<LocaleTraits>;

// The user's time formats (LC_TIME from the environment), falling back to
// the C locale when the environment names one that is not installed; none
// when even that cannot be made.
ScopedLocale UserTimeLocale() {
  ScopedLocale locale(::newlocale(LC_TIME_MASK, "", nullptr));
  if (!locale) locale = ScopedLocale(::newlocale(LC_TIME_MASK, "C", nullptr));
  return locale;
}

// When, written by Format in Locale's formats; empty without a locale or
// when the text does not fit.
std::string FormatTime(const ScopedLocale& locale, const char* format, const std::tm& when) {
  char text[256];
  const std::size_t n = locale ? ::strftime_l(text, sizeof text, format, &when, locale.get()) : 0;
  return std::string(text, n);
}

}  // namespace

LocalDateTime Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string DateTimeText(const LocalDateTime& when) {
  std::tm tm{};
  tm.tm_year = when.year - 1900;
  tm.tm_mon = when.month - 1;
  tm.tm_mday = when.day;
  tm.tm_hour = when.hour;
  tm.tm_min = when.minute;
  tm.tm_sec = when.second;
  tm.tm_isdst = -1;
  const ScopedLocale user = UserTimeLocale();
  std::string text = FormatTime(user, "%x", tm);
  if (when.hour != 0 || when.minute != 0 || when.second != 0) text += ' ' + FormatTime(user, "%X", tm);
  return text;
}

}  // namespace quillfern::platform
