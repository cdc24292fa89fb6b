// What the tests of the generator and the layers above it share: the
// settings of a new project and machine values fixed in advance.
#pragma once

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

}  // namespace quillfern::testing
