// One entry of Office's list of disabled items (a REG_BINARY value under
// Resiliency\DisabledItems), in the layout its users have reported, since
// Microsoft documents none: little-endian, a 32-bit type (1 for an add-in),
// the byte lengths of the path and of the friendly name (each with its
// terminating NUL), then the path and the name in UTF-16LE. Pure and
// portable; a value that does not fit the layout is refused with a reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace quillfern::check {

struct DisabledItem {
  std::uint32_t type = 0;
  std::string path;  // UTF-8, without its NUL
  std::string name;  // UTF-8, without its NUL; empty when the value holds none
};

enum class DisabledItemProblem {
  TooShort,        // fewer than the twelve bytes of the three numbers
  PathPastEnd,     // the path's length reaches past the value's end
  NamePastEnd,     // the name's length reaches past the value's end
  OddLength,       // a length that is no whole number of UTF-16 units
  EmptyPath,       // a path of no characters
};

std::variant<DisabledItem, DisabledItemProblem> ParseDisabledItem(std::string_view bytes);

// The type an add-in's entry has.
inline constexpr std::uint32_t kDisabledAddin = 1;

}  // namespace quillfern::check
