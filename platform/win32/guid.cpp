// Class identifiers from COM on Win32.
#include <objbase.h>
#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/guid.h"
#include "platform/win32/scoped.h"

namespace quillfern::platform {

std::string NewGuidText() {
  // A failed CoCreateGuid leaves no identifier worth writing: an all-zero
  // one would clash with every other project made the same way.
  GUID guid{};
  if (FAILED(::CoCreateGuid(&guid))) throw std::runtime_error("Unable to create a GUID");
  win32::ScopedTaskString wide;
  if (FAILED(::StringFromCLSID(guid, wide.receive())) || !wide) throw std::runtime_error("Unable to create a GUID");
  std::string text;
  for (const wchar_t* c = wide.get(); *c; ++c) text += static_cast<char>(*c);  // hex digits, braces, hyphens
  return text;
}

}  // namespace quillfern::platform
