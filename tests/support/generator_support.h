// What the tests of the generator and the layers above it share: the
// settings of a new project and machine values fixed in advance.
#pragma once

#include "generator/project_files.h"
#include "support/test_support.h"

namespace quillfern::testing {

// The read-me's date for When as a generation in CodePage writes it.
std::string ReadmeDate(const platform::LocalDateTime& when, unsigned codePage);

// Machine values fixed in advance, so that a composed set's bytes are known.
extern const generator::ProjectValues kFixedValues;

// A new project for App and Version with the defaults the catalogue gives
// it, to be written into FolderText.
generator::WizardSettings NewProjectSettings(std::size_t app, std::size_t version,
                                             const std::string& folderText = "");

}  // namespace quillfern::testing
