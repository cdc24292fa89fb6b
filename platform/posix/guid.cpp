// Class identifiers from the kernel's random numbers on Linux.
#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "platform/guid.h"

namespace quillfern::platform {

std::string NewGuidText() {
  std::array<unsigned char, 16> b{};
  std::size_t got = 0;
  while (got < b.size()) {
    const ssize_t n = ::getrandom(b.data() + got, b.size() - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error("Unable to create a GUID");
    got += static_cast<std::size_t>(n);
  }
  // Random (version 4) identifier with the RFC 4122 variant, in the byte
  // order of Windows' GUID structure so it reads the same as StringFromCLSID.
  b[7] = static_cast<unsigned char>((b[7] & 0x0F) | 0x40);
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);
  char text[39];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return text;
}

}  // namespace quillfern::platform
