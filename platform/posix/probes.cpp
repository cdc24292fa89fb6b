// The environment probes answered on Linux and other POSIX systems: there is
// no App Paths registry, paths use '/', and the user's formats come from the
// C++ locale named by the environment.
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <locale.h>
#include <stdexcept>
#include <vector>

#include "platform/ascii.h"
#include "platform/probes.h"
#include "platform/scoped.h"

namespace quillfern::platform {

const char kPathDelimiter = '/';

namespace {

// A file descriptor; giving it back closes it.
struct DescriptorTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static bool Close(Handle fd) { return ::close(fd) == 0; }
};
using FileDescriptor = Scoped<DescriptorTraits>;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Opens Path for writing from its first byte, creating it when missing.
// Only a plain file of one name is written in place: a symbolic link or a
// file with further hard links is taken out of the folder and a new file made
// in its stead, so the bytes never land in a file outside the folder. Other
// kinds of entry (folders, pipes, devices) are left alone and fail. Returns
// the descriptor, or -1 with errno set.
int OpenForReplacing(const std::string& path) {
  constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int fd = ::open(path.c_str(), kCreate, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
      if (errno == ENOENT) continue;  // gone in the meantime: create it after all
      return -1;
    }
    if (S_ISREG(entry.st_mode) && entry.st_nlink == 1) {
      // O_NONBLOCK: should the entry have turned into a pipe meanwhile, the
      // open fails instead of waiting for a reader.
      FileDescriptor existing(
          ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
      struct stat opened {};
      if (!existing || ::fstat(existing.get(), &opened) != 0) return -1;
      if (!S_ISREG(opened.st_mode) || opened.st_nlink != 1 || opened.st_ino != entry.st_ino ||
          opened.st_dev != entry.st_dev) {
        errno = EBUSY;  // replaced while we looked: leave it to the user
        return -1;
      }
      if (::ftruncate(existing.get(), 0) != 0) return -1;
      const int flags = ::fcntl(existing.get(), F_GETFL);
      if (flags < 0 || ::fcntl(existing.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return -1;
      return existing.Release();
    }
    if (!S_ISLNK(entry.st_mode) && !S_ISREG(entry.st_mode)) {
      errno = S_ISDIR(entry.st_mode) ? EISDIR : EEXIST;
      return -1;
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
  }
  errno = EEXIST;
  return -1;
}

// A locale object from newlocale.
struct LocaleTraits {
  using Handle = locale_t;
  static Handle Invalid() { return locale_t{}; }
  static bool Close(Handle locale) {
    ::freelocale(locale);
    return true;
  }
};
using ScopedLocale = Scoped<LocaleTraits>;

// The user's time formats (LC_TIME from the environment), falling back to
// the C locale when the environment names one that is not installed; none
// when even that cannot be made.
ScopedLocale UserTimeLocale() {
  ScopedLocale locale(::newlocale(LC_TIME_MASK, "", nullptr));
  if (!locale) locale = ScopedLocale(::newlocale(LC_TIME_MASK, "C", nullptr));
  return locale;
}

// When, written by Format in Locale's formats; empty without a locale or
// when the text does not fit.
std::string FormatTime(const ScopedLocale& locale, const char* format, const std::tm& when) {
  char text[256];
  const std::size_t n = locale ? ::strftime_l(text, sizeof text, format, &when, locale.get()) : 0;
  return std::string(text, n);
}

}  // namespace

std::string FolderPart(std::string_view path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string FindHostApplication(const std::string&) {
  return {};  // Office is a Windows program: there is nothing to find here.
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool IsVolumeRoot(std::string_view path) { return path.empty(); }

bool IsFolderWriteProtected(const std::string& folder, std::string* reason) {
  std::string name = folder;
  if (name.empty() || name.back() != '/') name += '/';
  name += "RWROXXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  FileDescriptor probe(::mkstemp(buffer.data()));
  if (probe) {
    probe.Reset();
    if (::unlink(buffer.data()) == 0) return false;
  }
  if (reason) *reason = LastErrorText();
  return true;
}

bool WriteWholeFile(const std::string& path, std::string_view content) {
  const int fd = OpenForReplacing(path);
  if (fd < 0) return false;
  FileDescriptor file(fd);
  const bool written = WriteAll(file.get(), content);
  if (file.Reset() && written) return true;
  // A file cut short must not be left looking like a finished one; the
  // caller reports the error, so keep the system's reason for it.
  const int reason = errno;
  ::unlink(path.c_str());
  errno = reason;
  return false;
}

std::string LastErrorText() { return std::strerror(errno); }

std::string ProgramPath() {
  std::array<char, 4096> buffer{};
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  return n > 0 && n < static_cast<ssize_t>(buffer.size()) ? std::string(buffer.data(), static_cast<std::size_t>(n)) : "";
}

std::string NewGuidText() {
  std::array<unsigned char, 16> b{};
  std::size_t got = 0;
  while (got < b.size()) {
    const ssize_t n = ::getrandom(b.data() + got, b.size() - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error("Unable to create a GUID");
    got += static_cast<std::size_t>(n);
  }
  // Random (version 4) identifier with the RFC 4122 variant, in the byte
  // order of Windows' GUID structure so it reads the same as StringFromCLSID.
  b[7] = static_cast<unsigned char>((b[7] & 0x0F) | 0x40);
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);
  char text[39];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return text;
}

LocalDateTime Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string DateTimeText(const LocalDateTime& when) {
  std::tm tm{};
  tm.tm_year = when.year - 1900;
  tm.tm_mon = when.month - 1;
  tm.tm_mday = when.day;
  tm.tm_hour = when.hour;
  tm.tm_min = when.minute;
  tm.tm_sec = when.second;
  tm.tm_isdst = -1;
  const ScopedLocale user = UserTimeLocale();
  std::string text = FormatTime(user, "%x", tm);
  if (when.hour != 0 || when.minute != 0 || when.second != 0) text += ' ' + FormatTime(user, "%X", tm);
  return text;
}

std::string AnsiUpperCase(std::string_view text) {
  // The system code page here is UTF-8, whose multi-byte letters cannot be
  // upper-cased byte for byte: only A to Z change.
  return AsciiUpper(text);
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace quillfern::platform
