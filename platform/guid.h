// Class identifiers. One header, two implementations (win32/guid.cpp,
// posix/guid.cpp).
#pragma once

#include <string>

namespace quillfern::platform {

// A fresh class identifier in registry form:
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". Throws std::runtime_error
// ("Unable to create a GUID") when the system gives none.
std::string NewGuidText();

}  // namespace quillfern::platform
