// The parts of files.h and program.h that are the same on every system,
// built on the per-system functions.
#include <stdexcept>

#include "platform/files.h"
#include "platform/program.h"

namespace quillfern::platform {

namespace {

bool MakeFolderReporting(const std::string& path, FolderCreation& report) {
  if (const std::error_code error = MakeFolder(path)) {
    report.failedFolder = path;
    report.error = error;
    return false;
  }
  report.created.push_back(path);
  return true;
}

bool CreateFolderChain(const std::string& requested, FolderCreation& report) {
  if (requested.empty()) throw std::runtime_error("Unable to create directory");

  // The path is UTF-8 or the system's bytes: a separator byte is a separator.
  std::string path = requested;
  if (path.back() == kPathDelimiter) path.pop_back();

  // A drive or the root of the file system is there, or no folder could
  // give it a home; either way there is nothing to create.
  if (IsVolumeRoot(path)) return true;
  if (FolderExists(path)) return true;

  const std::string parent = FolderPart(path);
  if (parent == path) return true;
  // A relative one-part name: its parent is the working directory, which exists.
  if (parent.empty()) return MakeFolderReporting(path, report);
  return CreateFolderChain(parent, report) && MakeFolderReporting(path, report);
}

}  // namespace

bool CreateFolderPath(const std::string& path, FolderCreation* report) {
  FolderCreation ignored;
  return CreateFolderChain(path, report ? *report : ignored);
}

std::string LibrarySearchPath() { return FolderPart(ProgramPath()) + "LibraryFiles"; }

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  const std::size_t folderEnd = FolderPart(path).size();
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < folderEnd) return path + extension;
  return path.substr(0, dot) + extension;
}

}  // namespace quillfern::platform
