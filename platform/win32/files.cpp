// Files and folders on Win32, through the wide forms of the calls: a path
// comes in as UTF-8 and is converted to UTF-16 at each call, so every
// character names itself and a separator test never meets a byte of a
// double-byte character.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/win32/scoped.h"
#include "platform/win32/utf16.h"

namespace quillfern::platform {

const char kPathDelimiter = '\\';
const PathStyle kPathStyle = PathStyle::Windows;

namespace {

using win32::ScopedErrorMode;
using win32::ScopedFile;
using win32::ScopedFind;
using win32::ScopedLocalMemory;

std::error_code SystemError(DWORD code) { return {static_cast<int>(code), std::system_category()}; }

// The error of the call that just failed on this thread. A failure that
// left no code of its own is still a failure.
std::error_code LastError() {
  const DWORD code = ::GetLastError();
  return SystemError(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
}

std::error_code Check(BOOL ok) { return ok ? std::error_code() : LastError(); }

// Writes every byte of Content to File; the error when it cannot.
std::error_code WriteAll(HANDLE file, std::string_view content) {
  if (content.empty()) return {};
  DWORD written = 0;
  if (!::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr)) return LastError();
  // A short write without an error of its own means the disk is full.
  if (written != content.size()) return SystemError(ERROR_HANDLE_DISK_FULL);
  return {};
}

// The short form of an existing Path in UTF-16; empty when there is none.
std::wstring ShortForm(const std::wstring& path) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = ::GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return buffer.substr(0, n);
    buffer.assign(n, L'\0');  // n is the size it needs, terminator included
  }
  return {};
}

}  // namespace

std::string FolderPart(std::string_view path) {
  // UTF-8 keeps '\' and ':' out of every multi-byte character.
  const std::size_t end = path.find_last_of("\\:");
  return end == std::string_view::npos ? std::string() : std::string(path.substr(0, end + 1));
}


bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(Utf16FromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW found{};
  ScopedFind search(::FindFirstFileW(Utf16FromUtf8(path).c_str(), &found));
  return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Presence LookAt(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Utf16FromUtf8(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Presence{Presence::Kind::Folder, {}}
                                                         : Presence{Presence::Kind::Other, SystemError(ERROR_ALREADY_EXISTS)};
  const std::error_code why = LastError();
  const bool notFound = why.value() == ERROR_FILE_NOT_FOUND || why.value() == ERROR_PATH_NOT_FOUND;
  return {notFound ? Presence::Kind::Missing : Presence::Kind::Unknown, why};
}

std::error_code MakeFolder(const std::string& path) {
  if (::CreateDirectoryW(Utf16FromUtf8(path).c_str(), nullptr)) return {};
  return LastError();
}

std::error_code IsFolderWriteProtected(const std::string& folder) {
  // A drive without a medium or a write-protected one answers with an
  // error code instead of a system dialog.
  const ScopedErrorMode quiet(SEM_FAILCRITICALERRORS);
  std::wstring dir = Utf16FromUtf8(folder);
  if (dir.empty() || dir.back() != L'\\') dir += L'\\';
  // GetTempFileNameW takes a folder of at most MAX_PATH - 14 characters and
  // writes up to MAX_PATH into the buffer; some implementations (Wine's)
  // write past it for a longer folder instead of failing. So refuse such a
  // folder here, and give the buffer room to spare.
  wchar_t probe[2 * (MAX_PATH + 1)] = {};
  if (dir.size() > MAX_PATH - 14) return SystemError(ERROR_FILENAME_EXCED_RANGE);
  if (::GetTempFileNameW(dir.c_str(), L"RWRO", 0, probe) == 0) return LastError();
  if (!::DeleteFileW(probe)) return LastError();
  return {};
}

std::error_code WriteNewFile(const std::string& path, std::string_view content, const std::string& like) {
  const std::wstring name = Utf16FromUtf8(path);
  // Attributes a user gives a file (hidden, archive, not indexed) go over to
  // its next version, as the shell's own replacing keeps them; read-only
  // never: such a file is not replaced.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (!like.empty()) {
    const DWORD earlier = ::GetFileAttributesW(Utf16FromUtf8(like).c_str());
    if (earlier != INVALID_FILE_ATTRIBUTES && (earlier & kKept) != 0) attributes = earlier & kKept;
  }
  std::error_code error;
  {
    ScopedFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    if (!file) return LastError();
    error = WriteAll(file.get(), content);
    if (!error) error = Check(::FlushFileBuffers(file.get()));
    if (!file.Reset() && !error) error = LastError();
  }
  // A file cut short must not be left looking like a finished one.
  if (error) ::DeleteFileW(name.c_str());
  return error;
}

namespace {

// What an entry of these attributes is when it is not a plain file: a link
// (any reparse point) or a folder; nothing for a file.
std::optional<EntryKind> LinkOrFolder(DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EntryKind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::Folder;
  return std::nullopt;
}

}  // namespace

Entry ReadEntry(const std::string& path) {
  Entry entry;
  const std::wstring name = Utf16FromUtf8(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // No such entry, and none can be there: the writer says why it cannot make it.
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && code != ERROR_INVALID_NAME &&
        code != ERROR_FILENAME_EXCED_RANGE)
      entry.error = LastError();
    return entry;
  }
  if (const auto notAFile = LinkOrFolder(attributes)) {
    entry.kind = *notAFile;
    return entry;
  }
  ScopedFile file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    entry.error = LastError();
    return entry;
  }
  // A device name ("CON", "NUL", "COM1") opens the device: reading it could
  // wait for input that never comes.
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.get(), &info)) {
    entry.kind = EntryKind::Other;
    return entry;
  }
  // Asked again of what was opened: it may have been swapped meanwhile.
  if (const auto notAFile = LinkOrFolder(info.dwFileAttributes)) {
    entry.kind = *notAFile;
    return entry;
  }
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
      entry.error = LastError();
      entry.bytes.clear();
      return entry;
    }
    if (n == 0) break;
    entry.bytes.append(buffer, n);
  }
  entry.kind = EntryKind::File;
  return entry;
}

FileRange ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t size) {
  ScopedFile file(::CreateFileW(Utf16FromUtf8(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {{}, LastError()};
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return {{}, SystemError(ERROR_INVALID_FUNCTION)};
  // Nothing is asked of the file, or allocated, past its end.
  LARGE_INTEGER length;
  if (!::GetFileSizeEx(file.get(), &length)) return {{}, LastError()};
  if (offset >= static_cast<std::uint64_t>(length.QuadPart)) return {};
  size = static_cast<std::size_t>(std::min<std::uint64_t>(size, static_cast<std::uint64_t>(length.QuadPart) - offset));
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return {{}, LastError()};
  FileRange range;
  std::string& bytes = range.bytes;
  bytes.resize(size);
  std::size_t filled = 0;
  while (filled < size) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - filled, 1 << 20));
    DWORD n = 0;
    if (!::ReadFile(file.get(), bytes.data() + filled, chunk, &n, nullptr)) return {{}, LastError()};
    if (n == 0) break;
    filled += n;
  }
  bytes.resize(filled);
  return range;
}

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
  const std::wstring wa = Utf16FromUtf8(a), wb = Utf16FromUtf8(b);
  if (wa.size() > INT_MAX || wb.size() > INT_MAX) return false;
  return ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_EQUAL;
}

std::error_code MoveEntry(const std::string& from, const std::string& to) {
  const std::wstring target = Utf16FromUtf8(to);
  // A folder of that name stays what it is, whatever the file system would allow.
  const DWORD there = ::GetFileAttributesW(target.c_str());
  if (there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return SystemError(ERROR_ALREADY_EXISTS);
  return Check(::MoveFileExW(Utf16FromUtf8(from).c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

std::error_code MoveEntryUnlessTaken(const std::string& from, const std::string& to) {
  return Check(::MoveFileExW(Utf16FromUtf8(from).c_str(), Utf16FromUtf8(to).c_str(), MOVEFILE_WRITE_THROUGH));
}

std::error_code LinkEntry(const std::string& from, const std::string& to) {
  return Check(::CreateHardLinkW(Utf16FromUtf8(to).c_str(), Utf16FromUtf8(from).c_str(), nullptr));
}

std::error_code CanReplace(const std::string& path) {
  const std::wstring name = Utf16FromUtf8(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {};
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return SystemError(ERROR_ACCESS_DENIED);
  // Opened to be renamed, sharing everything: this fails only where a
  // program holds the file without letting it be renamed or replaced.
  ScopedFile probe(::CreateFileW(name.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return probe ? std::error_code() : LastError();
}

std::error_code RemoveEntry(const std::string& path) { return Check(::DeleteFileW(Utf16FromUtf8(path).c_str())); }

std::error_code SyncFolder(const std::string&) { return {}; }  // every move was written through

FolderListing ListFolder(const std::string& folder) {
  FolderListing listing;
  WIN32_FIND_DATAW found{};
  ScopedFind search(::FindFirstFileW((Utf16FromUtf8(folder) + L"\\*").c_str(), &found));
  if (!search) {
    if (::GetLastError() != ERROR_FILE_NOT_FOUND) listing.error = LastError();
    return listing;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") listing.names.push_back(Utf8FromUtf16(name));
  } while (::FindNextFileW(search.get(), &found));
  if (::GetLastError() != ERROR_NO_MORE_FILES) listing.error = LastError();
  return listing;
}

const char* const kLockFileName = "~qflock.tmp";

void FolderLock::Release() {
  // The last handle of a file opened to be deleted on close: the file goes with it.
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, -1)));
}

FolderLocking LockFolder(const std::string& folder, int waitMilliseconds) {
  FolderLocking locking;
  const std::wstring name = Utf16FromUtf8(folder) + L"\\" + Utf16FromUtf8(kLockFileName);
  constexpr int kStep = 10;
  for (int waited = 0;; waited += kStep) {
    // Not shared: a second generation's open fails while this one holds it.
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      locking.lock.handle_ = reinterpret_cast<std::intptr_t>(file);
      return locking;
    }
    // A sharing violation is a holder; access denied, one that is going
    // (its file is being deleted) or the folder's rights, told apart by the
    // wait running out.
    const DWORD code = ::GetLastError();
    if (code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED) {
      locking.error = SystemError(code);
      return locking;
    }
    if (waited >= waitMilliseconds) {
      if (code == ERROR_SHARING_VIOLATION) locking.busy = true;
      else locking.error = SystemError(code);
      return locking;
    }
    ::Sleep(kStep);
  }
}

std::string ShortPathName(const std::string& path) {
  const std::wstring wide = Utf16FromUtf8(path);
  if (wide.empty()) return {};
  std::wstring shortForm = ShortForm(wide);
  if (shortForm.empty()) {
    // A folder that is not there yet keeps its name after its parent's short form.
    const std::size_t cut = wide.find_last_of(L"\\:");
    if (cut == std::wstring::npos || cut + 1 == wide.size() || wide[cut] != L'\\') return {};
    const std::wstring parent = ShortForm(wide.substr(0, cut + 1));
    if (parent.empty()) return {};
    shortForm = parent + (parent.back() == L'\\' ? L"" : L"\\") + wide.substr(cut + 1);
  }
  return Utf8FromUtf16(shortForm);
}

std::wstring CurrentDirectoryUtf16() {
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(needed, folder.data());
  folder.resize(length < needed ? length : 0);
  return folder;
}

std::string CurrentDirectory() {
  const std::wstring folder = CurrentDirectoryUtf16();
  std::optional<std::string> text = ExactUtf8FromUtf16(folder);
  if (folder.empty() || !text) return ".";
  return std::move(*text);
}

std::string ErrorText(const std::error_code& error) {
  // The runtime's message() for a system error is not the system's own
  // text in every C++ library; FormatMessageW is, in the user's language.
  std::wstring wide;
  if (error.category() == std::system_category()) {
    ScopedLocalMemory text;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error.value()), 0, reinterpret_cast<LPWSTR>(text.receive()), 0, nullptr);
    if (text) wide.assign(static_cast<const wchar_t*>(text.get()), n);
  }
  std::string message = wide.empty() ? error.message() : Utf8FromUtf16(wide);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' ' ||
                              message.back() == '.'))
    message.pop_back();
  if (message.empty()) message = "system error " + std::to_string(error.value());
  return message;
}

}  // namespace quillfern::platform
