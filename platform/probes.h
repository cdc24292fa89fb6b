// The questions Quillfern asks of the operating system. One header, two
// implementations (platform/win32, platform/posix) with the same function
// list; CMake compiles exactly one of them. Paths and texts are byte strings
// in the system code page and are never re-encoded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillfern::platform {

// The separator between a folder and a file name: '\' on Windows, '/' elsewhere.
extern const char kPathDelimiter;

// Everything up to and including the last path separator (or ':' on
// Windows); empty when there is none.
std::string FolderPart(std::string_view path);

// Full path of the host application registered under App Paths for ExeName,
// in long form when the system can give it; empty when it is not installed.
// Never fails.
std::string FindHostApplication(const std::string& exeName);

// True for an existing folder; false for an empty path, a file, or any error.
bool FolderExists(const std::string& path);

// True when a file (not a folder) of that name exists.
bool FileExists(const std::string& path);

// Creates one folder whose parent exists. False when it cannot.
bool MakeFolder(const std::string& path);

// True for a path that names a whole volume once its trailing separator is
// gone: the empty path (the root) and, on Windows, a bare drive such as "C:".
bool IsVolumeRoot(std::string_view path);

// What CreateFolderPath did: the folders it made, outermost first (they
// stay, also after a failure), and the folder it could not make and the
// system's reason, taken at that call.
struct FolderCreation {
  std::vector<std::string> created;
  std::string failedFolder;  // empty unless it failed
  std::string reason;
};

// Creates the folder with every missing parent. True when it exists
// afterwards; folders created before a failure stay. Report, when given,
// says what was made and where it stopped. Throws
// std::runtime_error("Unable to create directory") for an empty path.
bool CreateFolderPath(const std::string& path, FolderCreation* report = nullptr);

// True when a temporary file cannot be created and removed in Folder
// (write-protected, no right, missing, or any other failure). Reason, when
// given, then holds the system's text for that failure.
bool IsFolderWriteProtected(const std::string& folder, std::string* reason = nullptr);

// Creates or truncates the file and writes every byte of Content, holding
// it exclusively while open. False when it cannot be created or completely
// written; a file that was begun but not completed is removed again rather
// than left cut short. An existing link of that name is replaced by a new
// file, never written through. LastErrorText tells why after a false.
bool WriteWholeFile(const std::string& path, std::string_view content);

// The system's text for the error of the last call that failed on this
// thread; meaningful only straight after a failure.
std::string LastErrorText();

// The program's own full path name; empty if the system cannot tell.
std::string ProgramPath();

// The program's own folder followed by "LibraryFiles", with no trailing separator.
std::string LibrarySearchPath();

// Path with its extension (from the last "." after the last separator)
// replaced by Extension, or Extension appended when it has none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// A fresh class identifier in registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string NewGuidText();

// The local date and time as text, in the user's formats: the short date,
// a blank and the long time; the time is left out at midnight exactly.
struct LocalDateTime {
  int year, month, day, hour, minute, second;
};
LocalDateTime Now();
std::string DateTimeText(const LocalDateTime& when);

// Upper-cases the system code page's letters byte for byte; the length never changes.
std::string AnsiUpperCase(std::string_view text);

// The process's working directory as typed text (UTF-8, like the texts the
// front ends hand the Generate command; on POSIX the bytes as they are),
// without a trailing separator except at a root. Empty when the system
// cannot tell.
std::string CurrentDirectory();

}  // namespace quillfern::platform
