// quillfern-cli's entry on Windows. The arguments are taken in UTF-16, as
// Windows keeps them: the narrow ones the runtime offers have already been
// squeezed into the system code page, with look-alikes for what it lacks.
// The messages go out the same way round (see standard_output.h).
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/win32/standard_output.h"
#include "command/messages.h"
#include "platform/win32/utf16.h"

int wmain(int argc, wchar_t** argv) {
  quillfern::cli::win32::StandardOutput outBuffer(::GetStdHandle(STD_OUTPUT_HANDLE)),
      errBuffer(::GetStdHandle(STD_ERROR_HANDLE));
  std::ostream out(&outBuffer), err(&errBuffer);
  // Every text exactly as given: one that holds half a surrogate pair names
  // nothing the program could use, and its U+FFFD would name another folder.
  const auto refuse = [&](const std::string& what, char16_t unit) {
    err << "error: " << quillfern::command::LoneSurrogateText(what, unit) << "\n";
    return static_cast<int>(quillfern::cli::kInvalidInput);
  };
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    if (const auto unit = quillfern::platform::FirstLoneSurrogate(argv[i]))
      return refuse("Argument " + std::to_string(i), *unit);
    args.push_back(quillfern::platform::Utf8FromUtf16(argv[i]));
  }
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  const wchar_t* epoch = ::_wgetenv(L"SOURCE_DATE_EPOCH");
  if (const auto unit = epoch ? quillfern::platform::FirstLoneSurrogate(epoch) : std::nullopt)
    return refuse("SOURCE_DATE_EPOCH", *unit);
  return quillfern::cli::RunCli(argc, pointers.data(), out, err,
                                epoch ? std::optional(quillfern::platform::Utf8FromUtf16(epoch)) : std::nullopt);
}
