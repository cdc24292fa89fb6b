#include "support/generator_support.h"

#include "catalogue/catalogue.h"
#include "platform/date_time.h"

namespace quillfern::testing {

std::string ReadmeDate(const platform::LocalDateTime& when, unsigned codePage) {
  return generator::DateInCodePage(platform::DateTimeText(when), when, codePage);
}

const generator::ProjectValues kFixedValues{"{11111111-2222-3333-4444-555555555555}", "C:\\Office\\EXCEL.EXE",
                                            "C:\\Tools\\LibraryFiles", "09.12.2026 13:44:16"};

generator::WizardSettings NewProjectSettings(std::size_t app, std::size_t version, const std::string& folderText) {
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
