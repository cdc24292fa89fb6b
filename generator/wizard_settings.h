#pragma once

#include <cstddef>
#include <string>

namespace quillfern::generator {

// The wizard's inputs at the moment Generate is pressed. Texts are exactly
// as typed: nothing is trimmed. A front end hands them over in UTF-8; the
// Generate command puts the texts that go into the files into the files'
// code page before it checks them, and from there on they are bytes in that
// code page. The output folder stays as typed: UTF-8 on Windows, converted
// to UTF-16 at each call of the system, and the system's bytes on POSIX.
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
  unsigned CodePage = 0;  // the files' Windows code page; 0 for the system's (FilesCodePage)
};

}  // namespace quillfern::generator
