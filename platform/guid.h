// Class identifiers. One header, two implementations (win32/guid.cpp,
// posix/guid.cpp).
#pragma once

#include <string>
#include <string_view>

#include "platform/ascii.h"

namespace quillfern::platform {

// True for a class identifier in registry form, as NewGuidText writes one
// and the registry keeps them: "{", 8-4-4-4-12 hexadecimal digits in either
// letter case, "}".
inline bool IsRegistryGuid(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? text[i] != '-' : !IsHexDigit(text[i])) return false;
  }
  return true;
}

// A fresh class identifier in registry form:
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". Throws std::runtime_error
// ("Unable to create a GUID") when the system gives none.
std::string NewGuidText();

}  // namespace quillfern::platform
