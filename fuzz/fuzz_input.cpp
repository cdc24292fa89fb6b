#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>

namespace quillfern::fuzz {

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "property violated: %s\n", what);
  if (!detail.empty()) {
    std::fprintf(stderr, "  detail (%zu bytes): ", detail.size());
    for (unsigned char c : detail) {
      if (c >= 0x20 && c < 0x7F && c != '\\') std::fputc(c, stderr);
      else std::fprintf(stderr, "\\x%02X", c);
    }
    std::fputc('\n', stderr);
  }
  std::abort();
}

}  // namespace quillfern::fuzz
