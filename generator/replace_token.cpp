#include "generator/replace_token.h"

#include "platform/code_page.h"

namespace quillfern::generator {

void ReplaceToken(std::string& text, std::string_view token, std::string_view value) {
  if (token.empty()) return;
  // Matching runs on upper-case copies; what is copied out comes from the
  // originals, so the case of everything not replaced is kept.
  const std::string upperText = platform::AnsiUpperCase(text);
  const std::string upperToken = platform::AnsiUpperCase(token);

  std::size_t from = upperText.find(upperToken);
  if (from == std::string::npos) return;
  std::string result;
  result.reserve(text.size());
  std::size_t copied = 0;
  while (from != std::string::npos) {
    result.append(text, copied, from - copied);
    result.append(value);
    copied = from + upperToken.size();
    from = upperText.find(upperToken, copied);
  }
  result.append(text, copied, std::string::npos);
  text = std::move(result);
}

}  // namespace quillfern::generator
