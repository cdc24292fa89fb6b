// The registry on POSIX: there is none, so every read fails the same way
// and says why.
#include "platform/registry.h"

namespace quillfern::platform {

namespace {

std::error_code NoRegistry() { return std::make_error_code(std::errc::not_supported); }

}  // namespace

bool RegistryAvailable() { return false; }

RegistryListing ListRegistryKey(RegistryHive, RegistryView, const std::string&) {
  RegistryListing listing;
  listing.error = NoRegistry();
  return listing;
}

bool RegistryKeyExists(RegistryHive, RegistryView, const std::string&) { return false; }

RegistryValue ReadRegistryValue(RegistryHive, RegistryView, const std::string&, const std::string&) {
  RegistryValue value;
  value.error = NoRegistry();
  return value;
}

std::string ExpandEnvironmentReferences(const std::string& text) { return text; }

}  // namespace quillfern::platform
