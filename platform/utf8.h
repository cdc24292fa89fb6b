// UTF-8, the program's text inside: one character read from it, one written
// into it. Portable and strict; nothing here guesses at malformed text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillfern::platform {

// One character read from UTF-8: its value and the bytes it took. A
// malformed sequence (a stray or missing continuation byte, an overlong
// form, a surrogate, a value above U+10FFFF) gives ok = false and the length
// of its longest well-formed beginning (at least 1), which is what a reader
// skips. The one exception is a lone UTF-16 surrogate in the three bytes
// that WTF-8 gives it (ED A0-BF 80-BF), which is how text from Windows that
// holds one arrives: ok = false, loneSurrogate, the code unit as Character
// and all three bytes as Length, so that a refusal can name the unit the
// user gave.
struct Decoded {
  char32_t character;
  std::size_t length;
  bool ok;
  bool loneSurrogate = false;
};

// The character that starts at byte At (< Text.size()) of Text.
Decoded DecodeUtf8(std::string_view text, std::size_t at);

// Appends C (at most U+10FFFF) in UTF-8.
void AppendUtf8(char32_t c, std::string& out);

}  // namespace quillfern::platform
