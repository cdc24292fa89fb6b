// Text: putting the user's text into a Windows ANSI code page, character
// for character, and the system code page's letter case. Texts arrive in
// UTF-8 (the command line's arguments on Linux, and what the front ends
// convert the system's UTF-16 into on Windows). One header, two
// implementations (win32/code_page.cpp, posix/code_page.cpp).
#pragma once
#include <array>
#include <string>
#include <string_view>
namespace quillfern::platform {

// The Windows ANSI code pages a generated project's files can be written in.
inline constexpr std::array<unsigned, 14> kAnsiCodePages{874,  932,  936,  949,  950,  1250, 1251,
                                                         1252, 1253, 1254, 1255, 1256, 1257, 1258};
bool IsAnsiCodePage(unsigned codePage);

// The code page of the files when none is chosen: the system's ANSI code
// page on Windows (GetACP), Windows-1252 elsewhere.
unsigned DefaultCodePage();

struct Conversion {
  enum class Result { Exact, NotUtf8, LoneSurrogate, Unwritable };
  Result result = Result::Exact;
  std::string bytes;       // the whole text in the code page; set only when Exact
  char32_t character = 0;  // Unwritable: the first character the code page cannot hold exactly;
                           // LoneSurrogate: the code unit (U+D800 to U+DFFF)
};

// Utf8 in CodePage, exactly: every character has its own byte or bytes in
// that code page, or the result is Unwritable with the first one that has
// none (a best-fit look-alike or a default character is never used).
// Malformed UTF-8 (stray or missing continuation bytes, overlong forms,
// surrogates, values above U+10FFFF) gives NotUtf8, except where the first
// malformed piece is a lone surrogate in the three bytes WTF-8 writes it in
// (the form a text read from Windows keeps one in), which gives
// LoneSurrogate with that code unit. Plain ASCII comes back
// unchanged in every code page. Never throws for any input.
// Code page 65001 (UTF-8, which Windows can have as its system code page)
// gives the text unchanged once it is well-formed; any other code page
// outside kAnsiCodePages holds ASCII only.
Conversion ToCodePage(std::string_view utf8, unsigned codePage);

// A path the user typed (UTF-8) as this system's file functions take it:
// on Windows, whose wide functions name every character, well-formed UTF-8
// comes back unchanged and anything else is NotUtf8 or LoneSurrogate (a
// malformed piece would name another file); elsewhere the bytes unchanged
// (always Exact). Never a code page's look-alike.
Conversion PathFromUtf8(std::string_view utf8);

// Upper-cases the system code page's letters byte for byte (on POSIX, whose
// texts are UTF-8, only A to Z); the length never changes.
std::string AnsiUpperCase(std::string_view text);

}  // namespace quillfern::platform
