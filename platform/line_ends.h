// Line ends for Windows: the program's texts end their lines in LF, and
// Windows' controls, message boxes and text files take CR LF.
#pragma once

namespace quillfern::platform {

// Text (a std::string or std::wstring) with every LF as CR LF.
template <typename Text>
Text WithCrLf(const Text& text) {
  Text out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (const auto c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace quillfern::platform
