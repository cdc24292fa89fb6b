#include "generator/replace_token.h"

#include <gtest/gtest.h>

namespace quillfern::generator {
namespace {

struct Case {
  const char* what;
  std::string text, token, value, expected;
};

TEST(ReplaceToken, FollowsTheReplaceAllRule) {
  const Case cases[] = {
      {"every occurrence", "T%CLASSNAME% = class; T%CLASSNAME%.Create", "%CLASSNAME%", "ExcelAddin1",
       "TExcelAddin1 = class; TExcelAddin1.Create"},
      {"lower-case token in the text", "T%classname% = class", "%CLASSNAME%", "X", "TX = class"},
      {"mixed case in text and token", "a%ClassName%b", "%cLASSnAME%", "X", "aXb"},
      {"case of the rest is kept", "Hello %A% World", "%a%", "v", "Hello v World"},
      {"value holding its own token does not recurse", "%UNITNAME% and %UNITNAME%", "%UNITNAME%",
       "X%UNITNAME%", "X%UNITNAME% and X%UNITNAME%"},
      {"value is inserted unchanged", "'%FRIENDLYNAME%'", "%FRIENDLYNAME%", "Bob's \"%x%\"",
       "'Bob's \"%x%\"'"},
      {"empty value removes the token", "HostApplication=%HOSTAPPLICATION%\r\n", "%HOSTAPPLICATION%",
       "", "HostApplication=\r\n"},
      {"absent token leaves the text", "nothing here", "%X%", "y", "nothing here"},
      {"matches do not overlap", "%A%A%A%", "%A%", "-", "-A-"},
      {"search resumes behind the match", "aaaa", "aa", "b", "bb"},
      {"value creating a new match is not searched", "%A%%", "%A%", "%A", "%A%"},
      {"token at both ends", "%T%middle%T%", "%T%", "<>", "<>middle<>"},
      {"empty text", "", "%T%", "v", ""},
      {"empty token changes nothing", "abc", "", "v", "abc"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    ReplaceToken(text, c.token, c.value);
    EXPECT_EQ(text, c.expected) << c.what;
  }
}

TEST(ReplaceToken, KeepsZeroBytesAndHighBytesAroundAMatch) {
  std::string text("\x00\xFF%T%\xE9\x00", 7);
  ReplaceToken(text, "%t%", std::string("\x00v", 2));
  EXPECT_EQ(text, std::string("\x00\xFF\x00v\xE9\x00", 6));
}

}  // namespace
}  // namespace quillfern::generator
