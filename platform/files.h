// Files and folders. One header, two implementations (win32/files.cpp,
// posix/files.cpp) with the same function list; the parts that are the same
// everywhere are in common.cpp. A path is text in UTF-8 on Windows, which
// each call converts to UTF-16 for the system's wide functions, and the
// bytes the system uses on POSIX. A call that can fail gives the system's
// error code, taken at the call that failed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quillfern::platform {

// The separator between a folder and a file name: '\' on Windows, '/' elsewhere.
extern const char kPathDelimiter;

// Everything up to and including the last path separator (or ':' on
// Windows); empty when there is none.
std::string FolderPart(std::string_view path);

// Path with its extension (from the last "." after the last separator)
// replaced by Extension, or Extension appended when it has none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// True for an existing folder; false for an empty path, a file, or any error.
bool FolderExists(const std::string& path);

// True when a file (not a folder) of that name exists; false on any error.
bool FileExists(const std::string& path);

// What stands at a path, asked of the system: a folder (also one a link
// leads to), another entry (a file, a link that leads to no folder, a
// device), nothing, or what the system would not tell (no right to look).
struct Presence {
  enum class Kind { Folder, Other, Missing, Unknown };
  Kind kind = Kind::Missing;
  // Other: the error creating a folder there gives (it exists); Missing: the
  // system's "not found", which for a drive or share is why nothing can be
  // made on it; Unknown: the system's reason.
  std::error_code error;
};
Presence LookAt(const std::string& path);

// Creates one folder whose parent exists. The system's error when it cannot;
// no error when it did.
std::error_code MakeFolder(const std::string& path);

// What CreateFolderPath would do for Path, found by looking only (by this
// system's path rules: the root of Path is never created or walked into).
// ToCreate: the folders it would make, outermost first; empty when Path is
// there. Blocked when the first of them cannot be made: the drive or share
// it stands on is not there, or an entry that is not a folder has its name;
// Error is then the reason as far as looking tells it, what creating it
// would fail with.
struct FolderPlan {
  std::vector<std::string> toCreate;
  bool blocked = false;
  std::error_code error;
};
FolderPlan PlanFolders(const std::string& path);

// What CreateFolderPath did: the folders it made, outermost first (they
// stay, also after a failure), and the folder it could not make with the
// system's error for it.
struct FolderCreation {
  std::vector<std::string> created;
  std::string failedFolder;  // empty unless it failed
  std::error_code error;     // no error unless it failed
  bool ok() const { return !error; }
};

// Creates the folder with every missing parent (PlanFolders), one after
// another, in a loop however deep the path. No error when it exists
// afterwards; folders created before a failure stay. When the plan is
// blocked, the first folder is still asked of the system, which says why it
// cannot be made, and nothing is created. An empty path names no folder:
// the invalid-argument error.
FolderCreation CreateFolderPath(const std::string& path);

// The system's error when a temporary file cannot be created and removed in
// Folder (write-protected, no right, missing, or any other failure); no
// error when one could: the folder can be written.
std::error_code IsFolderWriteProtected(const std::string& folder);

// What stands at a path, looked at without following a link there.
enum class EntryKind {
  Missing,  // nothing of that name
  File,     // a file whose bytes can be read, also one with further hard links
  Link,     // a symbolic link or another reparse point: the link itself
  Folder,   // a folder: nothing a file is written over
  Other,    // a pipe, a device: nothing a file is written over either
};

// What stands at a path: for a File every byte of it, and the system's
// error when that cannot be told or the file cannot be read (no right to it,
// held open by another program). A pipe or device is never opened for
// reading, so nothing waits on one.
struct Entry {
  EntryKind kind = EntryKind::Missing;
  std::string bytes;
  std::error_code error;
};
Entry ReadEntry(const std::string& path);

// Up to Size bytes of the file at Path from byte Offset on: fewer when the
// file ends sooner, none from at or past its end; and the system's error
// (with no bytes) when the file cannot be opened or read. The file is only
// read, and shared with its other readers and writers.
struct FileRange {
  std::string bytes;
  std::error_code error;
};
FileRange ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t size);

// True when two paths are the same text apart from letter case as Windows
// compares file names: each UTF-16 unit upper-cased by the system's table
// (CompareStringOrdinal ignoring case), so "C:\Ä.dll" is "c:\ä.dll" while
// "ß" is not "SS". On POSIX, A to Z against a to z only.
bool SamePathIgnoringCase(std::string_view a, std::string_view b);

// The writer's steps. A file is never written where the user has one: it
// is written whole under a new name, flushed to the disk, and then renamed
// into place, so that a name holds either its earlier bytes or its new ones,
// whole, whenever the process stops.

// Creates Path, which must not exist yet, writes every byte of Content,
// gives it the permissions (POSIX) or attributes (Windows) of the file Like
// when Like names one, and flushes it to the disk. The system's error when
// any step fails ("file exists" when Path is taken); nothing of it stays then.
std::error_code WriteNewFile(const std::string& path, std::string_view content, const std::string& like = {});

// Renames the entry From to To in the same folder in one step (on Windows
// written through to the disk); a link is moved itself, never what it
// points at. A file or link at To is replaced, anything else there (a
// folder, a pipe, a device) is left alone and is the error.
std::error_code MoveEntry(const std::string& from, const std::string& to);

// Renames From to To in one step while nothing is called To; "file exists"
// when something is, which then stays as it was.
std::error_code MoveEntryUnlessTaken(const std::string& from, const std::string& to);

// Gives the file or link From a second name To in the same folder (a hard
// link). The system's error where it cannot: a file system with one name per
// file among the reasons.
std::error_code LinkEntry(const std::string& from, const std::string& to);

// The system's error when the file Path may not be replaced now: it is
// read-only (on POSIX: this user may not write it), or (on Windows) a
// program holds it open without letting it be renamed.
std::error_code CanReplace(const std::string& path);

// Removes the file or link Path; the system's error when it cannot.
std::error_code RemoveEntry(const std::string& path);

// Makes the names renamed into Folder last on the disk (POSIX: fsync of
// the folder; Windows writes its renames through already).
std::error_code SyncFolder(const std::string& folder);

// The names of the entries in Folder (without "." and ".."), or the
// system's error.
struct FolderListing {
  std::vector<std::string> names;
  std::error_code error;
};
FolderListing ListFolder(const std::string& folder);

// One generation at a time in a folder. The lock is the system's, on the
// folder (POSIX: flock on the folder itself) or on a file in it that the
// system deletes when its last handle closes (Windows: the folder itself
// cannot be held without also barring every program whose working folder
// it is): nothing of it outlives the process, however it ends.
class FolderLock {
 public:
  FolderLock() = default;
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

 private:
  friend struct FolderLocking LockFolder(const std::string& folder, int waitMilliseconds);
  void Release();
  std::intptr_t handle_ = -1;  // the system's: a descriptor (POSIX) or a handle (Windows)
};

// What LockFolder came to: the lock, held unless Busy or Error; Busy when
// another process held the folder for the whole wait; Error when the folder
// could not be locked at all. A file system that offers no locks (some
// network ones) gives neither: the generation goes on without one.
struct FolderLocking {
  FolderLock lock;
  bool busy = false;
  std::error_code error;
};

// The name of the file that holds the lock on Windows, in the folder; it
// is there only while a generation runs. Empty on POSIX.
extern const char* const kLockFileName;

// Takes the lock on Folder, waiting up to WaitMilliseconds while another
// process holds it.
FolderLocking LockFolder(const std::string& folder, int waitMilliseconds);

// The short (8.3) form of an existing path, as Windows gives it; when only
// the last name is missing, the short form of its folder followed by that
// name. Empty when the system gives none, and always on POSIX, which has no
// short names.
std::string ShortPathName(const std::string& path);

// The process's working directory as typed text, without a trailing
// separator except at a root; "." (which still names it) when the system
// cannot give its path, or (on Windows) cannot give it as exact UTF-8.
std::string CurrentDirectory();

// The system's own words for an error these functions gave (on Windows in
// the user's language), without a closing full stop.
std::string ErrorText(const std::error_code& error);

}  // namespace quillfern::platform
