// Windows keeps text in UTF-16; the portable code takes UTF-8. Both ways
// are exact for every character; in Utf8FromUtf16 and Utf16FromUtf8 a
// malformed piece (a lone surrogate, broken UTF-8) becomes U+FFFD, which no
// ANSI code page holds. Text the user gave is read with Wtf8FromUtf16, which
// keeps a lone surrogate for the checks to refuse by name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillfern::platform {

std::string Utf8FromUtf16(std::wstring_view text);
std::wstring Utf16FromUtf8(std::string_view text);
// Text's UTF-8 form when it has an exact one; nothing for text with a lone
// surrogate, whose U+FFFD would name another file.
std::optional<std::string> ExactUtf8FromUtf16(std::wstring_view text);
// Text in UTF-8, with each lone surrogate in the three bytes of its code
// unit (WTF-8), which no well-formed UTF-8 has: the checks of ToCodePage and
// PathFromUtf8 then name it (Conversion::Result::LoneSurrogate) instead of
// meeting a U+FFFD that the user never typed.
std::string Wtf8FromUtf16(std::wstring_view text);
// The first code unit of Text that is a surrogate without its other half;
// nothing when there is none.
std::optional<char16_t> FirstLoneSurrogate(std::wstring_view text);

// The process's working directory in UTF-16, as the system keeps it (so it
// can be set back exactly); empty when the system cannot tell.
// CurrentDirectory (files.h) gives it as UTF-8 text.
std::wstring CurrentDirectoryUtf16();

}  // namespace quillfern::platform
