// The values a generation otherwise asks the machine for (a new class
// identifier, the moment the read-me names), as a front end may fix them in
// advance so that the same inputs give the same bytes every time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/date_time.h"

namespace quillfern::generator {

// What is not fixed is asked of the machine.
struct FixedMachineValues {
  std::optional<std::string> ClassId;  // registry form, upper case (from ClassIdFromText)
  std::optional<std::int64_t> Moment;  // seconds since 1970-01-01 00:00:00 UTC (from MomentFromText)
};

// Why a text is not a class identifier a project can carry.
enum class ClassIdProblem {
  NotRegistryForm,  // not "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits
  Null,             // all zeros: COM's "no class", which no add-in can be created as
};

// A class identifier in registry form, in either letter case, written in
// upper case as new ones are; or why it cannot be one.
std::variant<std::string, ClassIdProblem> ClassIdFromText(std::string_view text);

// The last moment a read-me can name: 9999-12-31 23:59:59 UTC. Regional
// date formats are made for four-digit years.
constexpr std::int64_t kLatestMoment = 253402300799;

// Why a text is not a moment.
enum class MomentProblem {
  Empty,           // set to nothing, as a failed command substitution leaves it
  NotWholeNumber,  // anything but the digits 0 to 9: a sign, a blank, a fraction
  TooLate,         // after kLatestMoment
};

// Seconds since 1970 UTC written as decimal digits only, from 0 to
// kLatestMoment; or why the text is not such a number.
std::variant<std::int64_t, MomentProblem> MomentFromText(std::string_view text);

// The calendar date and time, in UTC, of Seconds since 1970 (0 to
// kLatestMoment).
platform::LocalDateTime UtcDateTime(std::int64_t seconds);

}  // namespace quillfern::generator
