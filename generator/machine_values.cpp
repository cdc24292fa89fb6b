#include "generator/machine_values.h"

#include "platform/ascii.h"
#include "platform/guid.h"

namespace quillfern::generator {

std::variant<std::string, ClassIdProblem> ClassIdFromText(std::string_view text) {
  constexpr std::string_view kNull = "{00000000-0000-0000-0000-000000000000}";
  if (!platform::IsRegistryGuid(text)) return ClassIdProblem::NotRegistryForm;
  std::string id = platform::AsciiUpper(text);
  if (id == kNull) return ClassIdProblem::Null;
  return id;
}

std::variant<std::int64_t, MomentProblem> MomentFromText(std::string_view text) {
  if (text.empty()) return MomentProblem::Empty;
  std::int64_t seconds = 0;
  bool tooLate = false;
  for (const char c : text) {
    if (c < '0' || c > '9') return MomentProblem::NotWholeNumber;
    // Once past the limit the digits are only checked, so no length overflows.
    if (!tooLate) seconds = seconds * 10 + (c - '0');
    tooLate = tooLate || seconds > kLatestMoment;
  }
  if (tooLate) return MomentProblem::TooLate;
  return seconds;
}

platform::LocalDateTime UtcDateTime(std::int64_t seconds) {
  const std::int64_t days = seconds / 86400, inDay = seconds % 86400;
  // The proleptic Gregorian calendar counted from 1 March of the year 0, so
  // that the leap day ends each 4-, 100- and 400-year cycle.
  const std::int64_t z = days + 719468;
  const std::int64_t era = z / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 for March
  const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<int>(year),
          static_cast<int>(month),
          static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1),
          static_cast<int>(inDay / 3600),
          static_cast<int>(inDay % 3600 / 60),
          static_cast<int>(inDay % 60)};
}

}  // namespace quillfern::generator
