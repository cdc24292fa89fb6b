// The code page facts that are the same on every system.
#include <algorithm>

#include "platform/code_page.h"

namespace quillfern::platform {

bool IsAnsiCodePage(unsigned codePage) {
  return std::find(kAnsiCodePages.begin(), kAnsiCodePages.end(), codePage) != kAnsiCodePages.end();
}

}  // namespace quillfern::platform
