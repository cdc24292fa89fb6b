// Files and folders on Linux and other POSIX systems: a path is the bytes
// the system uses, '/' separates folders, and a failure's error is errno
// as the failing call left it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files.h"
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

// The error of the call that just failed. A failure that left no code of
// its own is still a failure.
std::error_code LastError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

// Writes every byte; the error when it cannot.
std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return LastError();
    if (n == 0) return std::error_code(EIO, std::generic_category());
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
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

}  // namespace

std::string FolderPart(std::string_view path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

bool IsVolumeRoot(std::string_view path) { return path.empty(); }

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::error_code MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return {};
  return LastError();
}

std::error_code IsFolderWriteProtected(const std::string& folder) {
  std::string name = folder;
  if (name.empty() || name.back() != '/') name += '/';
  name += "RWROXXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  FileDescriptor probe(::mkstemp(buffer.data()));
  if (probe) {
    probe.Reset();
    if (::unlink(buffer.data()) == 0) return {};
  }
  return LastError();
}

std::error_code WriteWholeFile(const std::string& path, std::string_view content) {
  FileDescriptor file(OpenForReplacing(path));
  if (!file) return LastError();
  std::error_code error = WriteAll(file.get(), content);
  if (!file.Reset() && !error) error = LastError();
  // A file cut short must not be left looking like a finished one.
  if (error) ::unlink(path.c_str());
  return error;
}

Entry ReadEntry(const std::string& path) {
  Entry entry;
  struct stat there {};
  if (::lstat(path.c_str(), &there) != 0) {
    // No such entry, and none can be there: the writer says why it cannot make it.
    if (errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG) entry.error = LastError();
    return entry;
  }
  if (!S_ISREG(there.st_mode)) {
    entry.kind = S_ISLNK(there.st_mode) ? EntryKind::Link : EntryKind::Other;
    return entry;
  }
  // O_NONBLOCK: should the file have turned into a pipe meanwhile, the open
  // does not wait for a writer; the check below then refuses it.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened {};
  if (!file || ::fstat(file.get(), &opened) != 0) {
    entry.error = LastError();
    return entry;
  }
  if (!S_ISREG(opened.st_mode) || opened.st_ino != there.st_ino || opened.st_dev != there.st_dev) {
    entry.error = std::error_code(EBUSY, std::generic_category());  // replaced while we looked
    return entry;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      entry.error = LastError();
      entry.bytes.clear();
      return entry;
    }
    if (n == 0) break;
    entry.bytes.append(buffer, static_cast<std::size_t>(n));
  }
  entry.kind = EntryKind::File;
  return entry;
}

std::error_code MoveEntry(const std::string& from, const std::string& to) {
  // rename() would replace a pipe or device too, and with it what the user put there.
  struct stat there {};
  if (::lstat(to.c_str(), &there) == 0 && !S_ISREG(there.st_mode) && !S_ISLNK(there.st_mode))
    return std::error_code(S_ISDIR(there.st_mode) ? EISDIR : EEXIST, std::generic_category());
  if (::rename(from.c_str(), to.c_str()) != 0) return LastError();
  return {};
}

std::string ShortPathName(const std::string&) { return {}; }

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string ErrorText(const std::error_code& error) { return error.message(); }

}  // namespace quillfern::platform
