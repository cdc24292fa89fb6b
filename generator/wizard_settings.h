#pragma once

#include <cstddef>
#include <string>

namespace quillfern::generator {

// The wizard's inputs at the moment Generate is pressed. Texts are exactly
// as typed: nothing is trimmed.
struct WizardSettings {
  std::size_t TargetApp = 0;      // row of catalogue::OfficeApps
  std::size_t TargetVersion = 0;  // row of catalogue::OfficeVersions
  std::string InterfaceUnitFile;
  bool InstallForCurrentUser = true;  // else HKEY_LOCAL_MACHINE
  bool LoadConnected = true;
  bool LoadBootLoad = true;
  bool LoadDemandLoad = false;
  bool LoadConnectFirstTime = false;
  std::string FriendlyName;
  std::string ClassName;
  std::string Description;
  std::string OutputFolderText;
};

}  // namespace quillfern::generator
