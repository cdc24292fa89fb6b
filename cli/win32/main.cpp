// quillfern-cli's entry on Windows. The arguments are taken in UTF-16, as
// Windows keeps them: the narrow ones the runtime offers have already been
// squeezed into the system code page, with look-alikes for what it lacks.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace {

std::string Utf8(const wchar_t* text) {
  const int length = static_cast<int>(wcslen(text));
  if (length == 0) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8(argv[i]));
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  return quillfern::cli::RunCli(argc, pointers.data(), std::cout, std::cerr);
}
