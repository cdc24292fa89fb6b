// The parts of files.h and program.h that are the same on every system,
// built on the per-system functions.
#include <utility>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/program.h"

namespace quillfern::platform {

FolderPlan PlanFolders(const std::string& path) {
  using Kind = Presence::Kind;
  FolderPlan plan;
  const PathParts parts = SplitPath(path, kPathStyle);
  if (parts.root == PathParts::Root::None) return {{path}, true, std::make_error_code(std::errc::invalid_argument)};
  // The folders from name Step on, all but "..", which the folder before it brings.
  PathParts prefix{parts.root, parts.rootText, {}};
  const auto toCreateFrom = [&](std::size_t step) {
    for (std::size_t i = step; i < parts.names.size(); ++i) {
      prefix.names.push_back(parts.names[i]);
      if (parts.names[i] != "..") plan.toCreate.push_back(JoinPath(prefix, kPathStyle));
    }
  };
  // Mostly the folder is there, and one question settles it.
  if (!parts.names.empty() && LookAt(JoinPath(parts, kPathStyle)).kind == Kind::Folder) return plan;
  // The root is never made; a relative path's is the working directory, which is there.
  if (!parts.rootText.empty()) {
    const Presence root = LookAt(parts.rootText);
    if (root.kind != Kind::Folder) {
      plan.blocked = true;
      plan.error = root.error;
      toCreateFrom(0);
      if (plan.toCreate.empty()) plan.toCreate.push_back(parts.rootText);
      return plan;
    }
  }
  // From the root down: the first name that is no folder is where creating starts.
  for (std::size_t i = 0; i < parts.names.size(); ++i) {
    prefix.names.push_back(parts.names[i]);
    const Presence there = LookAt(JoinPath(prefix, kPathStyle));
    if (there.kind == Kind::Folder) continue;
    prefix.names.pop_back();
    if (there.kind != Kind::Missing) {
      plan.blocked = true;
      plan.error = there.error;
    }
    toCreateFrom(i);
    break;
  }
  return plan;
}

FolderCreation CreateFolderPath(const std::string& path) {
  FolderCreation report;
  if (path.empty()) {
    report.error = std::make_error_code(std::errc::invalid_argument);
    return report;
  }
  for (const std::string& folder : PlanFolders(path).toCreate) {
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
