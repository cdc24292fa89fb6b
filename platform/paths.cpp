// The path rules of paths.h: portable and pure, the same code on every
// system for both systems' rules.
#include "platform/paths.h"

#include <algorithm>
#include <array>

#include "platform/ascii.h"

namespace quillfern::platform {

namespace {

using Root = PathParts::Root;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The characters Windows takes in no name, besides the control characters.
constexpr std::string_view kRefusedInNames = "<>:\"|?*/\\";

// Adds Piece to Names as the system reads it in a path that is not literal:
// an empty piece (a run of separators) and "." add nothing; ".." takes the
// name before it away, and stays only where nothing is left to take in a
// relative path.
void AddName(std::vector<std::string>& names, std::string_view piece, bool relative, PathStyle style) {
  if (piece.empty() || piece == ".") return;
  if (piece == ".." && style == PathStyle::Windows) {
    if (!names.empty() && names.back() != "..") names.pop_back();
    else if (relative) names.emplace_back(piece);
    return;
  }
  names.emplace_back(piece);
}

// The pieces of Text between Style's separators, empty ones included.
std::vector<std::string_view> Pieces(std::string_view text, PathStyle style, bool backslashOnly = false) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || (backslashOnly ? text[i] == '\\' : IsSeparator(text[i], style))) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return pieces;
}

PathParts Named(Root root, std::string rootText, std::string_view rest, PathStyle style) {
  PathParts parts{root, std::move(rootText), {}};
  const bool relative = root == Root::Relative || root == Root::DriveRelative;
  for (const std::string_view piece : Pieces(rest, style)) AddName(parts.names, piece, relative, style);
  return parts;
}

// "\\?\" and what follows: the volume ("C:", "Volume{...}", or "UNC\server\share"),
// then every name as written; separators at the end name nothing.
PathParts SplitLiteral(std::string_view rest) {
  std::vector<std::string_view> pieces = Pieces(rest, PathStyle::Windows, true);
  while (!pieces.empty() && pieces.back().empty()) pieces.pop_back();
  const std::size_t volumeParts = !pieces.empty() && SameIgnoringAsciiCase(pieces[0], "UNC") ? 3 : 1;
  if (pieces.size() < volumeParts ||
      std::any_of(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(volumeParts),
                  [](std::string_view p) { return p.empty(); }))
    return {Root::None, {}, {}};
  std::string rootText = "\\\\?\\";
  for (std::size_t i = 0; i < volumeParts; ++i) (rootText += pieces[i]) += '\\';
  PathParts parts{Root::Literal, std::move(rootText), {}};
  for (std::size_t i = volumeParts; i < pieces.size(); ++i) parts.names.emplace_back(pieces[i]);
  return parts;
}

// What follows "\\": a server and a share, or after "\\.\" a device; then
// the names, where ".." cannot climb into the root.
PathParts SplitNetworkOrDevice(std::string_view rest, std::size_t rootNames, const char* prefix, Root root) {
  PathParts parts{root, prefix, {}};
  std::size_t found = 0;
  for (const std::string_view piece : Pieces(rest, PathStyle::Windows)) {
    if (found < rootNames) {
      if (piece.empty()) continue;
      if (piece == "." || piece == "..") return {Root::None, {}, {}};  // no server, share or device
      (parts.rootText += piece) += '\\';
      ++found;
    } else {
      AddName(parts.names, piece, false, PathStyle::Windows);
    }
  }
  if (found < rootNames) return {Root::None, {}, {}};
  // A server or share holds no character a name may not: "\\/?\x" would
  // otherwise be written as a literal path.
  if (root == Root::Share && parts.rootText.find_first_of(kRefusedInNames.substr(0, 7), 2) != std::string::npos)
    return {Root::None, {}, {}};
  return parts;
}

PathParts SplitWindows(std::string_view t) {
  const auto sep = [&](std::size_t i) { return i < t.size() && IsSeparator(t[i], PathStyle::Windows); };
  if (sep(0) && sep(1)) {
    if (t.substr(0, 4) == "\\\\?\\") return SplitLiteral(t.substr(4));
    if (t.size() > 3 && (t[2] == '.' || t[2] == '?') && sep(3))
      return SplitNetworkOrDevice(t.substr(4), 1, "\\\\.\\", Root::Device);
    return SplitNetworkOrDevice(t.substr(2), 2, "\\\\", Root::Share);
  }
  if (t.size() >= 2 && IsAsciiLetter(t[0]) && t[1] == ':') {
    const std::string drive(t.substr(0, 2));
    if (t.size() == 2 || sep(2)) return Named(Root::Drive, drive + '\\', t.substr(std::min<std::size_t>(3, t.size())), PathStyle::Windows);
    return Named(Root::DriveRelative, drive, t.substr(2), PathStyle::Windows);
  }
  if (sep(0)) return Named(Root::CurrentDrive, "\\", t.substr(1), PathStyle::Windows);
  return Named(Root::Relative, "", t, PathStyle::Windows);
}

// The names Windows keeps for devices, upper case, besides COM and LPT with
// a digit or a superscript 1, 2 or 3 after them.
constexpr std::array<std::string_view, 6> kDevices = {"AUX", "CON", "CONIN$", "CONOUT$", "NUL", "PRN"};


}  // namespace

bool IsSeparator(char c, PathStyle style) { return c == '/' || (style == PathStyle::Windows && c == '\\'); }

PathParts SplitPath(std::string_view text, PathStyle style) {
  PathParts parts = style == PathStyle::Windows ? SplitWindows(text)
                    : !text.empty() && text[0] == '/' ? Named(Root::Posix, "/", text.substr(1), style)
                                                      : Named(Root::Relative, "", text, style);
  // Blanks alone name no folder, however many separators stand among them.
  const auto blank = [](const std::string& name) { return std::all_of(name.begin(), name.end(), IsBlank); };
  if (parts.root == Root::Relative && !parts.names.empty() && std::all_of(parts.names.begin(), parts.names.end(), blank))
    return {Root::None, {}, {}};
  return parts;
}

std::string JoinPath(const PathParts& path, PathStyle style) {
  const char separator = style == PathStyle::Windows ? '\\' : '/';
  std::string text = path.rootText;
  for (std::size_t i = 0; i < path.names.size(); ++i) {
    if (i > 0) text += separator;
    text += path.names[i];
  }
  if (path.names.empty() && !text.empty() && IsSeparator(text.back(), style)) text.pop_back();
  // "C:" alone is the drive's root; its working directory is "C:.".
  if (path.names.empty() && path.root == PathParts::Root::DriveRelative) text += '.';
  return text;
}

PathParts FullPath(const PathParts& path, const PathParts& workingDirectory, PathStyle style) {
  const Root base = workingDirectory.root;
  if (style != PathStyle::Windows ||
      (base != Root::Drive && base != Root::Share && base != Root::Literal && base != Root::Device))
    return path;
  PathParts full;
  switch (path.root) {
    case Root::Relative: full = workingDirectory; break;
    case Root::DriveRelative:
      if (base == Root::Drive && AsciiUpper(workingDirectory.rootText.substr(0, 1)) == AsciiUpper(path.rootText.substr(0, 1)))
        full = workingDirectory;
      else
        full = {Root::Drive, path.rootText + '\\', {}};
      break;
    case Root::CurrentDrive: full = {base, workingDirectory.rootText, {}}; break;
    default: return path;
  }
  for (const std::string& name : path.names) AddName(full.names, name, false, style);
  return full;
}

std::size_t PathLength(std::string_view path, PathStyle style) {
  if (style == PathStyle::Posix) return path.size();
  // Every character but a continuation byte starts a code unit, and the
  // four-byte ones (above U+FFFF) take two.
  std::size_t units = 0;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    units += (byte & 0xC0) != 0x80 ? 1 : 0;
    units += byte >= 0xF0 ? 1 : 0;
  }
  return units;
}

std::size_t MaxPathLength(PathStyle style) { return style == PathStyle::Windows ? 259 : 4095; }

std::optional<NameProblem> CheckName(std::string_view name, PathStyle style, bool literal) {
  using Kind = NameProblem::Kind;
  const std::string text(name);
  if (const std::size_t length = PathLength(name, style); length > kMaxNameLength)
    return NameProblem{Kind::TooLong, text, 0, length};
  if (style == PathStyle::Posix) return std::nullopt;
  if (literal && (name.empty() || name == "." || name == "..")) return NameProblem{Kind::NotAName, text};
  // Every byte below 0x80 is a character of its own in UTF-8.
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || kRefusedInNames.find(c) != std::string_view::npos)
      return NameProblem{Kind::Character, text, char32_t{byte}};
  }
  if (!literal && !name.empty() && (name.back() == ' ' || name.back() == '.') && name != "." && name != "..")
    return NameProblem{Kind::EndsInBlankOrDot, text, static_cast<char32_t>(name.back())};
  if (IsDeviceName(name)) return NameProblem{Kind::Device, text};
  return std::nullopt;
}

std::optional<NameProblem> FirstBadName(const PathParts& path, PathStyle style) {
  for (const std::string& name : path.names)
    if (auto problem = CheckName(name, style, path.root == Root::Literal)) return problem;
  return std::nullopt;
}

bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  const std::string upper = AsciiUpper(base);
  if (std::find(kDevices.begin(), kDevices.end(), upper) != kDevices.end()) return true;
  const std::string_view port = std::string_view(upper).substr(0, 3);
  if (port != "COM" && port != "LPT") return false;
  const std::string_view number = std::string_view(upper).substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace quillfern::platform
