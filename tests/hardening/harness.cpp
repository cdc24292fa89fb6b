#include "harness.h"

#include "catalogue/catalogue.h"

namespace quillfern::testing {

generator::WizardSettings ExcelSettings(const std::string& folderText) {
  return NewProjectSettings(1, 1, folderText);
}

const generator::ProjectValues kFixedValues{"{01234567-89AB-CDEF-0123-456789ABCDEF}", "",
                                            "LibraryFiles", "01/02/2003 04:05:06"};

}  // namespace quillfern::testing
