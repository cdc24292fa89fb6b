#include "check/disabled_items.h"

#include "check/registry_text.h"

namespace quillfern::check {

namespace {

std::uint32_t U32(std::string_view b, std::size_t at) {
  std::uint32_t n = 0;
  for (std::size_t i = 4; i-- > 0;) n = n << 8 | static_cast<unsigned char>(b[at + i]);
  return n;
}

// UTF-16LE text up to its first NUL, or all of it when it has none.
std::string TextUpToNul(std::string_view bytes) {
  std::string text = Utf8FromUtf16Le(bytes);
  const std::size_t nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

}  // namespace

std::variant<DisabledItem, DisabledItemProblem> ParseDisabledItem(std::string_view bytes) {
  if (bytes.size() < 12) return DisabledItemProblem::TooShort;
  DisabledItem item;
  item.type = U32(bytes, 0);
  const std::uint32_t pathLength = U32(bytes, 4), nameLength = U32(bytes, 8);
  const std::string_view rest = bytes.substr(12);
  // Compared without adding, so a length near 2^32 cannot wrap around.
  if (pathLength > rest.size()) return DisabledItemProblem::PathPastEnd;
  if (nameLength > rest.size() - pathLength) return DisabledItemProblem::NamePastEnd;
  if (pathLength % 2 != 0 || nameLength % 2 != 0) return DisabledItemProblem::OddLength;
  item.path = TextUpToNul(rest.substr(0, pathLength));
  if (item.path.empty()) return DisabledItemProblem::EmptyPath;
  item.name = TextUpToNul(rest.substr(pathLength, nameLength));
  return item;
}

}  // namespace quillfern::check
