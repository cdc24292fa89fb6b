// The table that the build generates from generator/templates/.
#pragma once

#include <cstddef>

namespace quillfern::generator {

struct EmbeddedTemplate {
  const char* name;  // the file's name without its extension, such as "OfficeAddinPrjFile"
  const unsigned char* bytes;
  std::size_t size;
};

extern const EmbeddedTemplate kEmbeddedTemplates[];
extern const std::size_t kEmbeddedTemplateCount;

}  // namespace quillfern::generator
