// Paths as Windows and as POSIX systems read them, as pure rules: a
// folder's text split into the root it stands on and the names below it,
// its full form, its length as the system counts it, and the names a system
// will not take. Nothing here asks the file system, so the rules of either
// system can be tried on any (the Linux tests try Windows' as well).
// Texts are UTF-8 (or, on POSIX, the system's bytes).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillfern::platform {

enum class PathStyle { Windows, Posix };

// The rules of the system this program runs on.
extern const PathStyle kPathStyle;

// '\' and '/' on Windows, '/' on POSIX.
bool IsSeparator(char c, PathStyle style);

// A path as the root it stands on and the names below it. The root is kept
// whole: no folder is ever made in it and no walk goes into it.
struct PathParts {
  enum class Root {
    Relative,       // "a\b": below the working directory
    DriveRelative,  // "C:a": below the working directory of drive C
    Drive,          // "C:\", and a bare "C:", which names the drive's root
    CurrentDrive,   // "\a": below the root of the working directory's drive or share
    Share,          // "\\server\share\"
    Literal,        // "\\?\C:\", "\\?\UNC\server\share\": each name exactly as written
    Device,         // "\\.\C:\", "\\.\pipe\"
    Posix,          // "/"
    None,           // "\\", "\\server", "\\?\", "\\.\" or only blanks: no folder at all
  };
  Root root = Root::Relative;
  // The root as the path writes it, with its separator where it has one:
  // "C:\", "C:", "\", "\\server\share\", "\\?\UNC\server\share\", "/", "".
  std::string rootText;
  // Below the root, outermost first. Runs of separators count as one and
  // "." is left out; on Windows ".." takes the name before it away (at a
  // root it stays there) and is kept only at the start of a relative path.
  // A literal (\\?\) path keeps every name as written, "", "." and ".."
  // among them; POSIX keeps every "..", since a link may stand before it.
  std::vector<std::string> names;
  bool operator==(const PathParts& o) const { return root == o.root && rootText == o.rootText && names == o.names; }
};

// The parts of Text by Style's rules. One separator or more at the end names
// nothing more.
PathParts SplitPath(std::string_view text, PathStyle style);

// The path as one text in its normal form, the form every step takes: the
// root, then the names with one separator ('\' on Windows, '/' on POSIX)
// between them, and no separator at the end, so that the folder's files are
// this text, a separator and their names. A root alone is written without
// its separator: "C:" (which, so written, still names the drive's root),
// "\\server\share"; the POSIX root and "\" alone are the empty text; a
// drive's working directory is "C:.".
std::string JoinPath(const PathParts& path, PathStyle style);

// On Windows, the path as Windows takes it when it is given to a call: a
// relative path below WorkingDirectory (a full path, split), "C:a" below it
// when it is on drive C and below "C:\" otherwise, "\a" below its root; a
// leading ".." climbs the working directory, never above its root. Other
// paths, every path on POSIX (whose system counts a relative path as it is
// written) and every path when WorkingDirectory is not a full path, come
// back as they are.
PathParts FullPath(const PathParts& path, const PathParts& workingDirectory, PathStyle style);

// The length of Path as the system counts it against its limits: UTF-16
// code units on Windows, bytes on POSIX.
std::size_t PathLength(std::string_view path, PathStyle style);

// The most a name may count (PathLength) on either system: 255.
inline constexpr std::size_t kMaxNameLength = 255;

// The most a whole path may count: 259 on Windows (MAX_PATH less its
// terminator, all that programs without long-path support, Delphi's among
// them, can open), 4095 bytes on POSIX (PATH_MAX less its terminator).
std::size_t MaxPathLength(PathStyle style);

// Why a system will not take a name as the name of a folder or a file.
struct NameProblem {
  enum class Kind {
    TooLong,            // longer than kMaxNameLength
    Character,          // holds a character Windows refuses in names: <>:"|?* or a control character
    EndsInBlankOrDot,   // Windows would drop the blank or dot, and so name another entry
    Device,             // Windows keeps the name for a device: CON, NUL, COM1, LPT1, ... also with an extension
    NotAName,           // in a literal (\\?\) path: "", "." or "..", which name no entry there
  };
  Kind kind;
  std::string name;
  char32_t character = 0;  // Character: the one refused; EndsInBlankOrDot: the blank or dot
  std::size_t length = 0;  // TooLong: the name's length
  bool operator==(const NameProblem& o) const {
    return kind == o.kind && name == o.name && character == o.character && length == o.length;
  }
};

// What is wrong with Name by Style's rules; nothing when the system takes
// it. Literal: the name stands in a \\?\ path, where Windows drops nothing.
std::optional<NameProblem> CheckName(std::string_view name, PathStyle style, bool literal = false);

// The first name of Path (below its root) that Style's system will not take.
std::optional<NameProblem> FirstBadName(const PathParts& path, PathStyle style);

// True for a name Windows keeps for a device, in any letter case, alone or
// before an extension (blanks before the dot do not count): CON, PRN, AUX,
// NUL, COM0 to COM9, LPT0 to LPT9, COM and LPT with a superscript 1, 2 or
// 3, CONIN$, CONOUT$. "NUL.txt" and "con .dpr" are devices; "CONSOLE" and
// "COM10" are not.
bool IsDeviceName(std::string_view name);

}  // namespace quillfern::platform
