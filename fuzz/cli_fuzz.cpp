// The command-line front end on arbitrary argument vectors, run in process.
//
// A fuzzed "-o /etc" must not reach the machine's folders, and an option
// parser can be talked into an output folder in more ways than a filter of
// the arguments would catch ("-o", "--output=", "-fo"...). So the target
// owns a scratch folder, works inside it, and is linked with the C library's
// calls that create things (open for writing, mkdir, mkstemp) wrapped: any
// path that resolves outside the scratch folder is refused with EACCES,
// which the product reports as an ordinary failure. The product removes or
// renames only what one of these calls let it reach first (a file it is
// replacing, a link it moves aside as a backup, its own probe file), and
// libFuzzer's own unlink and rename stay unwrapped.
// Between inputs the scratch folder is emptied.
//
// Properties: no exception or crash; the exit status is 0, 1 or 2; a failure
// always prints an "error:" line and a success never does.
#include <fcntl.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "fuzz/fuzz_input.h"

namespace {

namespace fs = std::filesystem;

std::string& Scratch() {
  static std::string scratch;
  return scratch;
}

// True when Path, taken against the working directory and with "." and ".."
// resolved by name, lies inside the scratch folder. Nothing in the scratch
// folder is a link (the product makes none), so names are enough.
bool InsideScratch(const char* path) {
  if (!path || Scratch().empty()) return false;
  fs::path p(path);
  if (p.is_relative()) {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return false;
    p = fs::path(cwd) / p;
  }
  const std::string normal = p.lexically_normal().string();
  const std::string& root = Scratch();
  return normal.compare(0, root.size(), root) == 0 &&
         (normal.size() == root.size() || normal[root.size()] == '/');
}

int Refuse() {
  errno = EACCES;
  return -1;
}

void EmptyScratch() {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(Scratch(), ignored)) fs::remove_all(entry.path(), ignored);
  ::chdir(Scratch().c_str());
}

}  // namespace

extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_mkdir(const char* path, mode_t mode);
int __real_mkstemp(char* pattern);

int __wrap_open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  const bool writes = (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
  if (writes && !InsideScratch(path)) return Refuse();
  return __real_open(path, flags, mode);
}
int __wrap_mkdir(const char* path, mode_t mode) {
  return InsideScratch(path) ? __real_mkdir(path, mode) : Refuse();
}
int __wrap_mkstemp(char* pattern) { return InsideScratch(pattern) ? __real_mkstemp(pattern) : Refuse(); }

int LLVMFuzzerInitialize(int*, char***) {
  const char* base = std::getenv("QUILLFERN_FUZZ_SCRATCH");
  std::string pattern = std::string(base && *base ? base : fs::temp_directory_path().string()) +
                        "/quillfern-cli-fuzz-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) {
    std::perror("cannot make the scratch folder");
    std::abort();
  }
  Scratch() = fs::canonical(name.data()).string();
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(Scratch(), ignored);
  });
  EmptyScratch();
  return 0;
}

int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillfern;
  const auto fields = fuzz::Fields(data, size);
  if (fields.size() > 64) return 0;  // long vectors add nothing but time
  // A first field "SOURCE_DATE_EPOCH=..." is the environment, not an argument.
  constexpr std::string_view kEpoch = "SOURCE_DATE_EPOCH=";
  std::optional<std::string> epoch;
  std::vector<const char*> argv{"quillfern-cli"};
  for (const std::string& field : fields) {
    if (argv.size() == 1 && !epoch && field.compare(0, kEpoch.size(), kEpoch) == 0) epoch = field.substr(kEpoch.size());
    else argv.push_back(field.c_str());  // a NUL ends an argument, as in a real argv
  }

  std::ostringstream out, err;
  const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err, epoch);
  EmptyScratch();

  if (status < 0 || status > 2) fuzz::Fail("exit status outside 0..2", std::to_string(status));
  const bool errorLine = err.str().rfind("error: ", 0) == 0 || err.str().find("\nerror: ") != std::string::npos;
  if (status != 0 && !errorLine) fuzz::Fail("a failure without an error line", err.str());
  if (status == 0 && errorLine) fuzz::Fail("a success with an error line", err.str());
  return 0;
}
}
