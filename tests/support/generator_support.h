// What the tests of the generator and the layers above it share: the
// settings of a new project and machine values fixed in advance.
#pragma once

#include <map>

#include "catalogue/catalogue.h"
#include "generator/project_files.h"
#include "platform/date_time.h"
#include "support/test_support.h"

namespace quillfern::testing {

// The read-me's date for When as a generation in CodePage writes it.
inline std::string ReadmeDate(const platform::LocalDateTime& when, unsigned codePage) {
  return generator::DateInCodePage(platform::DateTimeText(when), when, codePage);
}

// Machine values fixed in advance, so that a composed set's bytes are known.
inline const generator::ProjectValues kFixedValues{"{11111111-2222-3333-4444-555555555555}", "C:\\Office\\EXCEL.EXE",
                                                   "C:\\Tools\\LibraryFiles", "09.12.2026 13:44:16"};

// A new project for App and Version with the defaults the catalogue gives
// it, to be written into FolderText.
inline generator::WizardSettings NewProjectSettings(std::size_t app, std::size_t version,
                                                    const std::string& folderText = "") {
  const catalogue::ProjectDefaults d = catalogue::NewProjectDefaults(app, version);
  generator::WizardSettings s;
  s.TargetApp = d.TargetApp;
  s.TargetVersion = d.TargetVersion;
  s.InterfaceUnitFile = d.InterfaceUnitFile;
  s.FriendlyName = d.FriendlyName;
  s.ClassName = d.ClassName;
  s.Description = d.Description;
  s.OutputFolderText = folderText;
  return s;
}

// The bytes of each file of a folder, by name.
using FileBytes = std::map<std::string, std::string>;

// Every plain file directly in Folder, by name, with its bytes.
inline FileBytes FilesIn(const fs::path& folder) {
  FileBytes files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files[entry.path().filename().u8string()] = ReadBytes(entry.path());
  return files;
}

// Success when every file of Earlier is in Folder whole, under its own name
// or its backup name: what a generation, however it ended, must keep.
inline ::testing::AssertionResult NothingLost(const FileBytes& earlier, const fs::path& folder) {
  const FileBytes now = FilesIn(folder);
  for (const auto& [name, bytes] : earlier) {
    const auto under = [&](const std::string& n) { return now.count(n) && now.at(n) == bytes; };
    if (!under(name) && !under(generator::BackupName(name)))
      return ::testing::AssertionFailure() << "the earlier " << name << " is neither under its name nor its backup's";
  }
  return ::testing::AssertionSuccess();
}

// Success when each name of Newer in Folder holds its new bytes, its earlier
// ones (from Earlier), or, where there were none, nothing: never a cut or
// mixed file.
inline ::testing::AssertionResult NoCutFile(const FileBytes& earlier, const FileBytes& newer, const fs::path& folder) {
  const FileBytes now = FilesIn(folder);
  for (const auto& [name, bytes] : newer) {
    if (!now.count(name)) {
      if (earlier.count(name)) return ::testing::AssertionFailure() << name << " is gone";
      continue;
    }
    if (now.at(name) != bytes && (!earlier.count(name) || now.at(name) != earlier.at(name)))
      return ::testing::AssertionFailure() << name << " holds neither its earlier nor its new bytes: "
                                           << Visible(now.at(name).substr(0, 80));
  }
  return ::testing::AssertionSuccess();
}

}  // namespace quillfern::testing
