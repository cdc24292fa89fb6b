#include "check/disabled_items.h"

#include "check/registry_text.h"

namespace quillfern::check {

std::variant<DisabledItem, DisabledItemProblem> ParseDisabledItem(std::string_view bytes) {
  if (bytes.size() < 12) return DisabledItemProblem::TooShort;
  DisabledItem item;
  item.type = LittleEndian32(bytes, 0);
  const std::uint32_t pathLength = LittleEndian32(bytes, 4), nameLength = LittleEndian32(bytes, 8);
  const std::string_view rest = bytes.substr(12);
  // Compared without adding, so a length near 2^32 cannot wrap around.
  if (pathLength > rest.size()) return DisabledItemProblem::PathPastEnd;
  if (nameLength > rest.size() - pathLength) return DisabledItemProblem::NamePastEnd;
  if (pathLength % 2 != 0 || nameLength % 2 != 0) return DisabledItemProblem::OddLength;
  item.path = Utf8UpToNul(rest.substr(0, pathLength));
  if (item.path.empty()) return DisabledItemProblem::EmptyPath;
  item.name = Utf8UpToNul(rest.substr(pathLength, nameLength));
  return item;
}

}  // namespace quillfern::check
