#include "platform/utf8.h"

#include <optional>

namespace quillfern::platform {

namespace {

// The code unit of a surrogate written as WTF-8 writes it (ED A0-BF 80-BF)
// at At; nothing for any other bytes.
std::optional<char32_t> SurrogateAt(std::string_view text, std::size_t at) {
  if (text.size() - at < 3) return std::nullopt;
  const auto second = static_cast<unsigned char>(text[at + 1]), third = static_cast<unsigned char>(text[at + 2]);
  if (second < 0xA0 || second > 0xBF || third < 0x80 || third > 0xBF) return std::nullopt;
  return char32_t{0xD000} | (char32_t{second} & 0x3F) << 6 | (char32_t{third} & 0x3F);
}

}  // namespace

Decoded DecodeUtf8(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned first = byte(at);
  if (first < 0x80) return {first, 1, true};
  std::size_t length = 0;
  char32_t value = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte, which rules out overlong
                                     // forms, surrogates and values above U+10FFFF
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2, value = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3, value = first & 0x0F;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) {
      if (const auto unit = SurrogateAt(text, at)) return {*unit, 3, false, true};
      high = 0x9F;
    }
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4, value = first & 0x07;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    return {0, 1, false};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (at + i >= text.size()) return {0, i, false};
    const unsigned next = byte(at + i);
    if (next < low || next > high) return {0, i, false};
    low = 0x80, high = 0xBF;
    value = value << 6 | (next & 0x3F);
  }
  return {value, length, true};
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace quillfern::platform
