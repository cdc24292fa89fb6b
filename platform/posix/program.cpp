// The program's own path on Linux, read from /proc; there is no App Paths
// registry here.
#include <unistd.h>

#include <array>

#include "platform/program.h"

namespace quillfern::platform {

std::string FindHostApplication(const std::string&, std::optional<RegistryView>) {
  return {};  // Office is a Windows program: there is nothing to find here.
}

std::string ProgramPath() {
  std::array<char, 4096> buffer{};
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  return n > 0 && n < static_cast<ssize_t>(buffer.size()) ? std::string(buffer.data(), static_cast<std::size_t>(n)) : "";
}

}  // namespace quillfern::platform
