// ReplaceToken against a reference written the slow, obvious way: walk the
// text one position at a time, and at each position either take a whole
// token (case folded for A to Z) or copy one byte.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "generator/replace_token.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool TokenAt(const std::string& text, std::size_t at, const std::string& token) {
  if (text.size() - at < token.size()) return false;
  for (std::size_t i = 0; i < token.size(); ++i)
    if (Upper(text[at + i]) != Upper(token[i])) return false;
  return true;
}

std::string Reference(const std::string& text, const std::string& token, const std::string& value) {
  if (token.empty()) return text;
  std::string result;
  std::size_t at = 0;
  while (at < text.size()) {
    if (TokenAt(text, at, token)) {
      result += value;
      at += token.size();
    } else {
      result += text[at++];
    }
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillfern;
  const auto fields = fuzz::Fields(data, size);
  const std::string& original = fuzz::Field(fields, 0);
  const std::string& token = fuzz::Field(fields, 1);
  const std::string& value = fuzz::Field(fields, 2);

  std::string text = original;
  generator::ReplaceToken(text, token, value);
  const std::string expected = Reference(original, token, value);
  if (text != expected) fuzz::Fail("ReplaceToken differs from the reference", text + " | expected " + expected);

  return 0;
}
