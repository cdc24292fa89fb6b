// Code page conversion. The same expectations run against the tables the
// Linux build generates and against Windows' own converters, so each build
// checks the other; what differs is in posix/ and win32/.
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace quillfern::platform {
namespace {

using Result = Conversion::Result;
using testing::SameBytes;
using testing::Visible;

TEST(CodePage, KeepsAsciiUnchangedInEveryCodePage) {
  std::string ascii(1, '\0');  // the text is bytes, not a C string
  for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
  for (const unsigned codePage : kAnsiCodePages) {
    const Conversion c = ToCodePage(ascii, codePage);
    EXPECT_EQ(c.result, Result::Exact) << codePage;
    EXPECT_EQ(c.bytes, ascii) << codePage;
  }
}

TEST(CodePage, WritesEachCharacterInItsOwnBytes) {
  const struct {
    unsigned codePage;
    std::string utf8, bytes;
  } cases[] = {
      {1252, "Caf\u00e9 \u20ac", "Caf\xE9 \x80"},
      {1250, "\u0142\u00f3\u017a", "\xB3\xF3\x9F"},
      {1251, "\u0416\u0451", "\xC6\xB8"},
      {1253, "\u03a9\u03ac", "\xD9\xDC"},
      {1254, "\u011f\u0130", "\xF0\xDD"},
      {1255, "\u05d0\u20aa", "\xE0\xA4"},
      {1256, "\u0639\u06af", "\xDA\x90"},
      {1257, "\u0105\u017e", "\xE0\xFE"},
      {1258, "\u20ab\u0102\u0301", "\xFE\xC3\xEC"},  // a combining mark stays a character of its own
      {874, "\u0e01\u0e3f", "\xA1\xDF"},
      {932, "\u3042\uff71", "\x82\xA0\xB1"},
      // Characters that 932 has more than once (also at EE EF, EE F9 and FA 54):
      // these are the codes Windows writes; the others it only reads.
      {932, "\u2170\uffe2", "\xFA\x40\x81\xCA"},
      {936, "\u4e2d\u6587", "\xD6\xD0\xCE\xC4"},
      {949, "\ud55c\uae00", "\xC7\xD1\xB1\xDB"},
      {950, "\u4e2d\u6587", "\xA4\xA4\xA4\xE5"},
      {950, "\u2550", "\xF9\xF9"},  // also at A2 A4, which Windows only reads
      {65001, "\u03a9mega \U0001F600", "\u03a9mega \U0001F600"},
  };
  for (const auto& [codePage, utf8, bytes] : cases) {
    const Conversion c = ToCodePage(utf8, codePage);
    EXPECT_EQ(c.result, Result::Exact) << codePage << ' ' << utf8;
    EXPECT_TRUE(SameBytes(bytes, c.bytes)) << codePage << ' ' << utf8;
  }
}

TEST(CodePage, RefusesBestFitLookAlikesNamingTheFirstUnwritableCharacter) {
  const struct {
    unsigned codePage;
    std::string utf8;
    char32_t first;
  } cases[] = {
      {1252, "\u03a9mega Caf\u00e9", 0x03A9},  // best fit would write "Omega"
      {1252, "\u0100", 0x0100},
      {1252, "\uff21", 0xFF21},
      {1252, "5 \u2212 3", 0x2212},
      {1252, "Caf\u00e9 \u20ac \u0151\u03a9", 0x0151},  // after characters that it can write
      {932, "\u3042\U0001F600", 0x1F600},               // a surrogate pair on Windows
      {1251, "\u00e9", 0x00E9},
      {437, "\u00e9", 0x00E9},  // not an ANSI code page: ASCII only
  };
  for (const auto& [codePage, utf8, first] : cases) {
    const Conversion c = ToCodePage(utf8, codePage);
    EXPECT_EQ(c.result, Result::Unwritable) << codePage << ' ' << utf8;
    EXPECT_EQ(c.character, first) << codePage << ' ' << utf8;
    EXPECT_EQ(c.bytes, "") << codePage << ' ' << utf8;
  }
}

TEST(CodePage, RefusesMalformedUtf8EvenAfterAnUnwritableCharacter) {
  const std::string cases[] = {
      "a\x80z",            // a stray continuation byte
      "\xC0\xAF",          // "/" in an overlong form
      "\xE0\x80\xAF",      // the same in three bytes
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "ab\xE2\x82",        // cut short at the end
      "\xC3z",             // a continuation byte missing in the middle
      "\xF5\x80\x80\x80",
      "\xFF",
      "\u03a9\xFF",  // malformed outranks the unwritable character before it
  };
  for (const unsigned codePage : {1252u, 932u, 65001u}) {
    for (const std::string& text : cases) {
      const Conversion c = ToCodePage(text, codePage);
      EXPECT_EQ(c.result, Result::NotUtf8) << codePage << ' ' << Visible(text);
      EXPECT_EQ(c.bytes, "") << codePage << ' ' << Visible(text);
    }
  }
}

// Text from Windows keeps a lone surrogate in the three bytes WTF-8 gives
// it; the first malformed piece decides what the text is called.
TEST(CodePage, NamesALoneSurrogateByItsCodeUnitWhenItIsTheFirstMalformedPiece) {
  const struct {
    std::string text;
    Result result;
    char32_t unit;
  } cases[] = {
      {"\xED\xA0\x80", Result::LoneSurrogate, 0xD800},
      {"sur\xED\xBF\xBFx", Result::LoneSurrogate, 0xDFFF},
      {"\xED\xA0\x80\xED\xB0\x80", Result::LoneSurrogate, 0xD800},  // a pair in CESU-8 is two halves
      {"\u03a9\xED\xB0\x80", Result::LoneSurrogate, 0xDC00},           // outranks the unwritable character
      {"\xFF\xED\xA0\x80", Result::NotUtf8, 0},
      {"\xED\xA0", Result::NotUtf8, 0},  // cut short
  };
  for (const unsigned codePage : {1252u, 932u, 65001u}) {
    for (const auto& [text, result, unit] : cases) {
      const Conversion c = ToCodePage(text, codePage);
      EXPECT_EQ(c.result, result) << codePage << ' ' << Visible(text);
      if (result == Result::LoneSurrogate) {
        EXPECT_EQ(c.character, unit) << codePage << ' ' << Visible(text);
      }
    }
  }
  EXPECT_EQ(ToCodePage("\xED\x9F\xBF", 65001).result, Result::Exact) << "U+D7FF is a character";
}

TEST(CodePage, ConvertsLongTextsWholeWhereverACharacterCrossesAMebibyte) {
  // Windows' converters take texts in pieces of that size.
  const std::string before((1 << 20) - 1, 'a');
  const Conversion e = ToCodePage(before + "\u00e9", 1252);
  EXPECT_EQ(e.result, Result::Exact);
  EXPECT_TRUE(e.bytes == before + "\xE9") << e.bytes.size();
  const Conversion emoji = ToCodePage(before + "\U0001F600", 932);
  EXPECT_EQ(emoji.result, Result::Unwritable);
  EXPECT_EQ(emoji.character, 0x1F600u);
}

TEST(CodePage, KnowsTheAnsiCodePagesAndTakesWellFormedPathsAsTheyAre) {
  EXPECT_TRUE(IsAnsiCodePage(1252));
  EXPECT_TRUE(IsAnsiCodePage(932));
  EXPECT_FALSE(IsAnsiCodePage(65001));
  EXPECT_FALSE(IsAnsiCodePage(0));
  for (const std::string path : {"Caf\u00e9", "\u03a9mega"}) {
    const Conversion c = PathFromUtf8(path);
    EXPECT_EQ(c.result, Result::Exact) << path;
    EXPECT_EQ(c.bytes, path);
  }
}

TEST(AnsiUpperCase, KeepsTheLengthAndRaisesLetters) {
  EXPECT_EQ(AnsiUpperCase("%classname% x1_"), "%CLASSNAME% X1_");
  EXPECT_EQ(AnsiUpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

}  // namespace
}  // namespace quillfern::platform
