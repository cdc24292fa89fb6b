// quillfern-cli's entry on Windows. The arguments are taken in UTF-16, as
// Windows keeps them: the narrow ones the runtime offers have already been
// squeezed into the system code page, with look-alikes for what it lacks.
#include <windows.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/win32/utf16.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(quillfern::platform::Utf8FromUtf16(argv[i]));
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  const wchar_t* epoch = ::_wgetenv(L"SOURCE_DATE_EPOCH");
  return quillfern::cli::RunCli(argc, pointers.data(), std::cout, std::cerr,
                                epoch ? std::optional(quillfern::platform::Utf8FromUtf16(epoch)) : std::nullopt);
}
