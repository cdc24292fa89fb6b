// Files and folders on Linux and other POSIX systems: a path is the bytes
// the system uses, '/' separates folders, and a failure's error is errno
// as the failing call left it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/scoped.h"

namespace quillfern::platform {

const char kPathDelimiter = '/';
const PathStyle kPathStyle = PathStyle::Posix;

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

// No error when the call succeeded; otherwise its error (LastError).
std::error_code Check(bool ok) { return ok ? std::error_code() : LastError(); }

}  // namespace

std::string FolderPart(std::string_view path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}


bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

Presence LookAt(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0)
    return S_ISDIR(st.st_mode) ? Presence{Presence::Kind::Folder, {}}
                               : Presence{Presence::Kind::Other, std::error_code(EEXIST, std::generic_category())};
  const std::error_code why = LastError();
  // A link that leads nowhere still takes the name.
  if (::lstat(path.c_str(), &st) == 0) return {Presence::Kind::Other, std::error_code(EEXIST, std::generic_category())};
  return {why.value() == ENOENT ? Presence::Kind::Missing : Presence::Kind::Unknown, why};
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

std::error_code WriteNewFile(const std::string& path, std::string_view content, const std::string& like) {
  struct stat earlier {};
  const bool keepMode = !like.empty() && ::lstat(like.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode);
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!file) return LastError();
  std::error_code error = WriteAll(file.get(), content);
  if (!error && keepMode) error = Check(::fchmod(file.get(), earlier.st_mode & 07777) == 0);
  if (!error) error = Check(::fsync(file.get()) == 0);
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
    entry.kind = S_ISLNK(there.st_mode) ? EntryKind::Link : S_ISDIR(there.st_mode) ? EntryKind::Folder : EntryKind::Other;
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

FileRange ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t size) {
  // Never a pipe or a device: opening one could wait, reading it could not end.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return {{}, LastError()};
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return {{}, LastError()};
  if (!S_ISREG(info.st_mode)) return {{}, std::make_error_code(std::errc::invalid_argument)};
  // Nothing is asked of the file, or allocated, past its end.
  const auto length = static_cast<std::uint64_t>(info.st_size);
  if (offset >= length) return {};
  size = static_cast<std::size_t>(std::min<std::uint64_t>(size, length - offset));
  FileRange range;
  std::string& bytes = range.bytes;
  bytes.resize(size);
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t n = ::pread(fd.get(), bytes.data() + filled, size - filled, static_cast<off_t>(offset + filled));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {{}, LastError()};
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  return range;
}

bool SamePathIgnoringCase(std::string_view a, std::string_view b) { return SameIgnoringAsciiCase(a, b); }

std::error_code MoveEntry(const std::string& from, const std::string& to) {
  // rename() would replace a pipe or device too, and with it what the user put there.
  struct stat there {};
  if (::lstat(to.c_str(), &there) == 0 && !S_ISREG(there.st_mode) && !S_ISLNK(there.st_mode))
    return std::error_code(S_ISDIR(there.st_mode) ? EISDIR : EEXIST, std::generic_category());
  return Check(::rename(from.c_str(), to.c_str()) == 0);
}

std::error_code MoveEntryUnlessTaken(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS) return LastError();
  // A file system without that flag: link() never replaces either, and the
  // first name then goes.
  if (::link(from.c_str(), to.c_str()) == 0) return Check(::unlink(from.c_str()) == 0);
  if (errno == EEXIST) return LastError();
  // Nor hard links: look, then rename.
  struct stat there {};
  if (::lstat(to.c_str(), &there) == 0) return std::error_code(EEXIST, std::generic_category());
  return Check(::rename(from.c_str(), to.c_str()) == 0);
}

std::error_code LinkEntry(const std::string& from, const std::string& to) {
  // Linux's link() takes a symbolic link as it is, never what it points at.
  return Check(::link(from.c_str(), to.c_str()) == 0);
}

std::error_code CanReplace(const std::string& path) {
  struct stat there {};
  if (::lstat(path.c_str(), &there) != 0 || !S_ISREG(there.st_mode)) return {};
  // Renaming over a file needs no right to the file itself; a file its
  // owner made read-only is still kept from being replaced.
  return Check(::access(path.c_str(), W_OK) == 0);
}

std::error_code RemoveEntry(const std::string& path) { return Check(::unlink(path.c_str()) == 0); }

std::error_code SyncFolder(const std::string& folder) {
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return LastError();
  return Check(::fsync(dir.get()) == 0);
}

FolderListing ListFolder(const std::string& folder) {
  FolderListing listing;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    listing.error = LastError();
    return listing;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") listing.names.push_back(name);
  }
  if (errno != 0) listing.error = LastError();
  ::closedir(dir);
  return listing;
}

const char* const kLockFileName = "";

void FolderLock::Release() {
  if (handle_ >= 0) ::close(static_cast<int>(std::exchange(handle_, -1)));  // and with it the lock
}

FolderLocking LockFolder(const std::string& folder, int waitMilliseconds) {
  FolderLocking locking;
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) {
    locking.error = LastError();
    return locking;
  }
  constexpr int kStep = 10;
  for (int waited = 0;; waited += kStep) {
    if (::flock(dir.get(), LOCK_EX | LOCK_NB) == 0) break;
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL || errno == EBADF) return locking;  // no locks here
    if (errno != EWOULDBLOCK && errno != EINTR) {
      locking.error = LastError();
      return locking;
    }
    if (waited >= waitMilliseconds) {
      locking.busy = true;
      return locking;
    }
    ::usleep(kStep * 1000);
  }
  locking.lock.handle_ = dir.Release();
  return locking;
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
