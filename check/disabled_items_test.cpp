// Office's disabled-items entries and the registry's text, on bytes: the
// layout as Office writes it, and every length that does not fit refused
// for its reason rather than read past the value's end.
#include "check/disabled_items.h"

#include <string>
#include <string_view>
#include <variant>

#include <gtest/gtest.h>

#include "check/addin_check.h"
#include "check/registry_text.h"

namespace quillfern::check {
namespace {

std::string U32(std::uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i) & 0xFF);
  return b;
}

// UTF-16LE of these code units, NULs inside included.
std::string Utf16(std::u16string_view text) {
  std::string b;
  for (const char16_t u : text) {
    b += static_cast<char>(u & 0xFF);
    b += static_cast<char>(u >> 8);
  }
  return b;
}
// A literal's every unit but its terminator.
template <std::size_t N>
std::string Utf16(const char16_t (&text)[N]) {
  return Utf16(std::u16string_view(text, N - 1));
}

// An entry as Office writes it: the lengths count each text's NUL.
std::string Entry(std::uint32_t type, const std::u16string& path, const std::u16string& name) {
  const std::string p = Utf16(path + u'\0'), n = Utf16(name + u'\0');
  return U32(type) + U32(static_cast<std::uint32_t>(p.size())) + U32(static_cast<std::uint32_t>(n.size())) + p + n;
}

TEST(DisabledItem, ReadsTheLayoutOfficeWrites) {
  struct Case {
    const char* what;
    std::string bytes;
    DisabledItem expected;
  };
  const Case cases[] = {
      {"an add-in", Entry(1, u"c:\\addins\\wordaddin1.dll", u"New Word Add-In"),
       {1, "c:\\addins\\wordaddin1.dll", "New Word Add-In"}},
      {"a document, another type", Entry(2, u"c:\\docs\\a.doc", u"a.doc"), {2, "c:\\docs\\a.doc", "a.doc"}},
      {"letters beyond ASCII and beyond the BMP", Entry(1, u"c:\\\u00e4\u0436\\\xD834\xDD1E.dll", u"\u00c4"),
       {1, "c:\\\xC3\xA4\xD0\xB6\\\xF0\x9D\x84\x9E.dll", "\xC3\x84"}},
      {"no name", U32(1) + U32(6) + U32(0) + Utf16(u"c:\0"), {1, "c:", ""}},
      {"texts without their NUL", U32(1) + U32(4) + U32(2) + Utf16(u"c:x"), {1, "c:", "x"}},
      {"bytes after the name", Entry(1, u"c:\\a.dll", u"A") + "tail", {1, "c:\\a.dll", "A"}},
      {"a lone surrogate", Entry(1, u"c:\\\xD800.dll", u""), {1, "c:\\\xEF\xBF\xBD.dll", ""}},
  };
  for (const Case& c : cases) {
    const auto result = ParseDisabledItem(c.bytes);
    ASSERT_TRUE(std::holds_alternative<DisabledItem>(result))
        << c.what << ": refused with " << static_cast<int>(std::get<DisabledItemProblem>(result));
    const DisabledItem& item = std::get<DisabledItem>(result);
    EXPECT_EQ(item.type, c.expected.type) << c.what;
    EXPECT_EQ(item.path, c.expected.path) << c.what;
    EXPECT_EQ(item.name, c.expected.name) << c.what;
  }
}

TEST(DisabledItem, RefusesLengthsThatDoNotFit) {
  const std::string path = Utf16(u"c:\\a.dll\0"), name = Utf16(u"A\0");
  const auto size = [](const std::string& b) { return static_cast<std::uint32_t>(b.size()); };
  struct Case {
    const char* what;
    std::string bytes;
    DisabledItemProblem expected;
  };
  const Case cases[] = {
      {"nothing", "", DisabledItemProblem::TooShort},
      {"eleven bytes", std::string(11, '\1'), DisabledItemProblem::TooShort},
      {"the path one byte past the end", U32(1) + U32(size(path) + 1) + U32(0) + path, DisabledItemProblem::PathPastEnd},
      {"a path of 4 GB", U32(1) + U32(0xFFFFFFFF) + U32(0) + path, DisabledItemProblem::PathPastEnd},
      {"the name one byte past the end", U32(1) + U32(size(path)) + U32(size(name) + 1) + path + name,
       DisabledItemProblem::NamePastEnd},
      {"lengths that wrap around when added", U32(1) + U32(size(path)) + U32(0xFFFFFFFE) + path + name,
       DisabledItemProblem::NamePastEnd},
      {"an odd path length", U32(1) + U32(size(path) - 1) + U32(0) + path, DisabledItemProblem::OddLength},
      {"an odd name length", U32(1) + U32(size(path)) + U32(3) + path + name, DisabledItemProblem::OddLength},
      {"a path of just its NUL", U32(1) + U32(2) + U32(0) + Utf16(u"\0"), DisabledItemProblem::EmptyPath},
      {"a path of no bytes", U32(1) + U32(0) + U32(size(name)) + name, DisabledItemProblem::EmptyPath},
  };
  for (const Case& c : cases) {
    const auto result = ParseDisabledItem(c.bytes);
    ASSERT_TRUE(std::holds_alternative<DisabledItemProblem>(result)) << c.what << ": read as "
                                                                     << std::get<DisabledItem>(result).path;
    EXPECT_EQ(std::get<DisabledItemProblem>(result), c.expected) << c.what;
  }
}

TEST(RegistryText, ReadsStringsAndNumbersByTheirTypes) {
  using platform::RegistryValue;
  const auto value = [](std::uint32_t type, std::string data) { return RegistryValue{true, type, std::move(data), {}}; };
  EXPECT_EQ(TextOf(value(platform::kRegSz, Utf16(u"3\0"))), "3");
  EXPECT_EQ(TextOf(value(platform::kRegExpandSz, Utf16(u"%x%\0after"))), "%x%");
  EXPECT_EQ(TextOf(value(platform::kRegSz, Utf16(u"no NUL"))), "no NUL");
  EXPECT_EQ(TextOf(value(platform::kRegSz, Utf16(u"odd") + "!")), "odd");
  EXPECT_EQ(TextOf(value(platform::kRegDword, U32(3))), std::nullopt);
  EXPECT_EQ(TextOf(RegistryValue{}), std::nullopt);
  EXPECT_EQ(DwordOf(value(platform::kRegDword, U32(0x12345678))), 0x12345678u);
  EXPECT_EQ(DwordOf(value(platform::kRegDword, "\3\0\0")), std::nullopt);
  EXPECT_EQ(DwordOf(value(platform::kRegSz, Utf16(u"3\0"))), std::nullopt);
  EXPECT_EQ(DwordOf(value(platform::kRegBinary, U32(3))), std::nullopt);
  EXPECT_EQ(TypeName(platform::kRegSz), "REG_SZ");
  EXPECT_EQ(TypeName(99), "type 99");
}

// The version keys of Office's lists and policies name the release they
// belong to; an unknown one is shown as it stands.
TEST(OfficeRelease, NamesTheReleaseOfEachVersionKey) {
  const std::pair<const char*, const char*> cases[] = {
      {"9.0", "2000"},  {"10.0", "2002/XP"}, {"11.0", "2003"}, {"12.0", "2007"},
      {"14.0", "2010"}, {"15.0", "2013"},    {"16.0", "2016 and later"}, {"13.0", ""}, {"10", ""}};
  for (const auto& [key, release] : cases) EXPECT_EQ(OfficeRelease(key), release) << key;
}

}  // namespace
}  // namespace quillfern::check
