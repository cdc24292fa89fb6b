// Code page conversion on Win32: the system's own converters, told never
// to fall back on a best-fit look-alike or the default character.
#include "platform/code_page.h"
#include "platform/utf8.h"
#include "platform/win32/utf16.h"

#include <windows.h>

#include <algorithm>

namespace quillfern::platform {

namespace {

// The system's converters count in int; longer texts go through in pieces
// of this many units, never cut inside a character.
constexpr std::size_t kPiece = 1 << 20;

// Appends Utf8 as UTF-16. With MB_ERR_INVALID_CHARS in Flags, false when
// Utf8 is not well-formed; without, malformed pieces become U+FFFD.
bool AppendWideFromUtf8(std::string_view utf8, DWORD flags, std::wstring& wide) {
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = std::min(kPiece, utf8.size() - at);
    // Back off to the first byte of a character that crosses the cut.
    for (int i = 0; i < 3 && at + length < utf8.size() && (utf8[at + length] & 0xC0) == 0x80; ++i) --length;
    const int units =
        ::MultiByteToWideChar(CP_UTF8, flags, utf8.data() + at, static_cast<int>(length), nullptr, 0);
    if (units <= 0) return false;
    const std::size_t old = wide.size();
    wide.resize(old + static_cast<std::size_t>(units));
    if (::MultiByteToWideChar(CP_UTF8, flags, utf8.data() + at, static_cast<int>(length), &wide[old],
                              units) != units)
      return false;
    at += length;
  }
  return true;
}

std::string Utf8FromWide(std::wstring_view wide) {
  std::string utf8;
  for (std::size_t at = 0; at < wide.size();) {
    std::size_t length = std::min(kPiece, wide.size() - at);
    if (at + length < wide.size() && IS_HIGH_SURROGATE(wide[at + length - 1])) --length;
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data() + at, static_cast<int>(length), nullptr, 0,
                                           nullptr, nullptr);
    if (size > 0) {
      const std::size_t old = utf8.size();
      utf8.resize(old + static_cast<std::size_t>(size));
      if (::WideCharToMultiByte(CP_UTF8, 0, wide.data() + at, static_cast<int>(length), &utf8[old], size,
                                nullptr, nullptr) != size)
        utf8.resize(old);
    }
    at += length;
  }
  return utf8;
}

// Appends Wide in CodePage when every character of it has exact bytes
// there; false, with Out unchanged, when any would need a substitute.
bool AppendExactly(std::wstring_view wide, unsigned codePage, std::string& out) {
  BOOL usedDefault = FALSE;
  const int size = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
  if (size <= 0 || usedDefault) return false;
  const std::size_t old = out.size();
  out.resize(old + static_cast<std::size_t>(size));
  if (::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                            &out[old], size, nullptr, &usedDefault) != size ||
      usedDefault) {
    out.resize(old);
    return false;
  }
  return true;
}

// Appends Wide (no longer than kPiece) in CodePage; false with First set to
// the first character that has no exact bytes there.
bool AppendPiece(std::wstring_view wide, unsigned codePage, std::string& out, char32_t& first) {
  const bool ansi = IsAnsiCodePage(codePage);
  if (ansi && AppendExactly(wide, codePage, out)) return true;
  // Something has no exact bytes (or the code page holds ASCII only): one
  // character at a time finds the first that has none.
  for (std::size_t i = 0; i < wide.size();) {
    const std::size_t length =
        IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]) ? 2 : 1;
    const char32_t c = length == 2 ? 0x10000 + ((char32_t{wide[i]} - 0xD800) << 10) + (wide[i + 1] - 0xDC00)
                                   : char32_t{wide[i]};
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (!ansi || !AppendExactly(wide.substr(i, length), codePage, out)) {
      first = c;
      return false;
    }
    i += length;
  }
  return true;
}

// What is wrong with Utf8, which the system's converter refused: its first
// malformed piece, named as a lone surrogate when it is one.
Conversion Malformed(std::string_view utf8) {
  for (std::size_t at = 0; at < utf8.size();) {
    const Decoded d = DecodeUtf8(utf8, at);
    if (!d.ok) return {d.loneSurrogate ? Conversion::Result::LoneSurrogate : Conversion::Result::NotUtf8, {},
                       d.loneSurrogate ? d.character : 0};
    at += d.length;
  }
  return {Conversion::Result::NotUtf8, {}, 0};
}

}  // namespace

std::string Utf8FromUtf16(std::wstring_view text) { return Utf8FromWide(text); }

std::string Wtf8FromUtf16(std::wstring_view text) {
  std::string wtf8;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]))
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t{text[++i]} - 0xDC00);
    AppendUtf8(c, wtf8);  // a lone surrogate in the three bytes of its code unit
  }
  return wtf8;
}

std::optional<char16_t> FirstLoneSurrogate(std::wstring_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) ++i;
    else if (IS_HIGH_SURROGATE(text[i]) || IS_LOW_SURROGATE(text[i]))
      return static_cast<char16_t>(text[i]);
  }
  return std::nullopt;
}

std::optional<std::string> ExactUtf8FromUtf16(std::wstring_view text) {
  std::string utf8 = Utf8FromWide(text);
  if (Utf16FromUtf8(utf8) != text) return std::nullopt;
  return utf8;
}

std::wstring Utf16FromUtf8(std::string_view text) {
  std::wstring wide;
  AppendWideFromUtf8(text, 0, wide);  // cannot fail without MB_ERR_INVALID_CHARS
  return wide;
}

unsigned DefaultCodePage() { return ::GetACP(); }

Conversion ToCodePage(std::string_view utf8, unsigned codePage) {
  // The whole text is decoded first: malformed UTF-8 anywhere outranks an
  // unwritable character.
  std::wstring wide;
  if (!AppendWideFromUtf8(utf8, MB_ERR_INVALID_CHARS, wide)) return Malformed(utf8);
  // Windows refuses WC_NO_BEST_FIT_CHARS for UTF-8, which holds every character anyway.
  if (codePage == CP_UTF8) return {Conversion::Result::Exact, std::string(utf8), 0};

  Conversion conversion;
  for (std::size_t at = 0; at < wide.size();) {
    std::size_t length = std::min(kPiece, wide.size() - at);
    if (at + length < wide.size() && IS_HIGH_SURROGATE(wide[at + length - 1])) --length;
    if (!AppendPiece(std::wstring_view(wide).substr(at, length), codePage, conversion.bytes,
                     conversion.character)) {
      conversion.result = Conversion::Result::Unwritable;
      conversion.bytes.clear();
      break;
    }
    at += length;
  }
  return conversion;
}

// The wide file functions name every character: a path needs only to be
// well-formed, and is converted to UTF-16 at each call.
Conversion PathFromUtf8(std::string_view utf8) { return ToCodePage(utf8, CP_UTF8); }

std::string AnsiUpperCase(std::string_view text) {
  std::string upper(text);
  if (!upper.empty()) ::CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

}  // namespace quillfern::platform
