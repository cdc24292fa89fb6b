// What the abuse tests share beyond the common command support: settings
// that pass every check, and a fixed file set to compare against.
#pragma once

#include <string>
#include <vector>

#include "generator/project_files.h"
#include "support/command_support.h"
#include "wizard/generate_command.h"

namespace quillfern::testing {

// Settings that pass every check: Excel 2002/XP with its default texts.
generator::WizardSettings ExcelSettings(const std::string& folderText);

// Fixed machine values, so the bytes of a composed set are known in advance.
extern const generator::ProjectValues kFixedValues;

}  // namespace quillfern::testing
