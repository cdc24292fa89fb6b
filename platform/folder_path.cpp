// CreateFolderPath, built on the per-system primitives of probes.h.
#include <stdexcept>

#include "platform/probes.h"

namespace quillfern::platform {

bool CreateFolderPath(const std::string& requested) {
  if (requested.empty()) throw std::runtime_error("Unable to create directory");

  std::string path = requested;
  if (path.back() == kPathDelimiter) path.pop_back();

  // A drive or the root of the file system is there, or no folder could
  // give it a home; either way there is nothing to create.
  if (IsVolumeRoot(path)) return true;
  if (FolderExists(path)) return true;

  const std::string parent = FolderPart(path);
  if (parent == path) return true;
  // A relative one-part name: its parent is the working directory, which exists.
  if (parent.empty()) return MakeFolder(path);
  return CreateFolderPath(parent) && MakeFolder(path);
}

}  // namespace quillfern::platform
