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
#include <ctime>
#include <locale.h>
#include <stdexcept>
#include <vector>

#include "platform/probes.h"

namespace quillfern::platform {

const char kPathDelimiter = '/';

namespace {

// Owns a file descriptor and closes it once.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The user's time formats (LC_TIME from the environment), falling back to
// the C locale when the environment names one that is not installed.
class TimeLocale {
 public:
  TimeLocale() : locale_(::newlocale(LC_TIME_MASK, "", nullptr)) {
    if (!locale_) locale_ = ::newlocale(LC_TIME_MASK, "C", nullptr);
  }
  TimeLocale(const TimeLocale&) = delete;
  TimeLocale& operator=(const TimeLocale&) = delete;
  ~TimeLocale() {
    if (locale_) ::freelocale(locale_);
  }
  std::string Format(const char* format, const std::tm& when) const {
    char text[256];
    const std::size_t n = locale_ ? ::strftime_l(text, sizeof text, format, &when, locale_) : 0;
    return std::string(text, n);
  }

 private:
  locale_t locale_;
};

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

bool IsFolderWriteProtected(const std::string& folder) {
  std::string name = folder;
  if (name.empty() || name.back() != '/') name += '/';
  name += "RWROXXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  FileDescriptor probe(::mkstemp(buffer.data()));
  if (probe.get() < 0) return true;
  probe.Close();
  return ::unlink(buffer.data()) != 0;
}

bool WriteWholeFile(const std::string& path, std::string_view content) {
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.get() < 0) return false;
  const bool written = WriteAll(file.get(), content);
  return file.Close() && written;
}

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
  const TimeLocale user;
  std::string text = user.Format("%x", tm);
  if (when.hour != 0 || when.minute != 0 || when.second != 0) text += ' ' + user.Format("%X", tm);
  return text;
}

std::string AnsiUpperCase(std::string_view text) {
  // The system code page here is UTF-8, whose multi-byte letters cannot be
  // upper-cased byte for byte: only A to Z change.
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
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
