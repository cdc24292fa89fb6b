// The parts of files.h and program.h that are the same on every system,
// built on the per-system functions.
#include <utility>

#include "platform/files.h"
#include "platform/program.h"

namespace quillfern::platform {

namespace {

// Path less one trailing separator.
std::string WithoutTrailingSeparator(std::string path) {
  if (!path.empty() && path.back() == kPathDelimiter) path.pop_back();
  return path;
}

}  // namespace

std::vector<std::string> MissingFolders(const std::string& path) {
  std::vector<std::string> missing;
  // The path is UTF-8 or the system's bytes: a separator byte is a separator.
  for (std::string folder = WithoutTrailingSeparator(path);;) {
    // A drive or the root of the file system is there, or no folder could
    // give it a home; either way there is nothing to create.
    if (IsVolumeRoot(folder) || FolderExists(folder)) break;
    const std::string parent = FolderPart(folder);
    if (parent == folder) break;
    missing.push_back(folder);
    // A relative one-part name: its parent is the working directory, which exists.
    if (parent.empty()) break;
    folder = WithoutTrailingSeparator(parent);
  }
  return {missing.rbegin(), missing.rend()};
}

FolderCreation CreateFolderPath(const std::string& path) {
  FolderCreation report;
  if (path.empty()) {
    report.error = std::make_error_code(std::errc::invalid_argument);
    return report;
  }
  for (const std::string& folder : MissingFolders(path)) {
    if (const std::error_code error = MakeFolder(folder)) {
      report.failedFolder = folder;
      report.error = error;
      break;
    }
    report.created.push_back(folder);
  }
  return report;
}

FolderLock::FolderLock(FolderLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

FolderLock::~FolderLock() { Release(); }

std::string LibrarySearchPath() {
  const std::string folder = FolderPart(ProgramPath());
  return folder.empty() ? std::string() : folder + "LibraryFiles";
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  const std::size_t folderEnd = FolderPart(path).size();
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < folderEnd) return path + extension;
  return path.substr(0, dot) + extension;
}

}  // namespace quillfern::platform
