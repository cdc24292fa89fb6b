// How the command line's messages put words and lines together.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillfern::cli {

// Names as one text, Last before the last of them: "A, B or C" for " or ",
// "A, B, C" for ", ".
inline std::string Listed(const std::vector<std::string>& names, std::string_view last) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? last : std::string_view(", ");
    text += names[i];
  }
  return text;
}

// The lines of a text, split at each "\n" (the command's texts hold no other
// line break).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (const char c : text) {
    if (c == '\n') lines.emplace_back();
    else lines.back() += c;
  }
  return lines;
}

}  // namespace quillfern::cli
