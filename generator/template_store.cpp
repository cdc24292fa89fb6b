#include "generator/template_store.h"

#include <stdexcept>

#include "generator/embedded_templates.h"
#include "platform/ascii.h"

namespace quillfern::generator {

std::string LoadTemplate(std::string_view name) {
  for (std::size_t i = 0; i < kEmbeddedTemplateCount; ++i) {
    const EmbeddedTemplate& t = kEmbeddedTemplates[i];
    // Resource names are ASCII, so A-to-Z folding is the whole rule.
    if (platform::SameIgnoringAsciiCase(t.name, name)) return std::string(reinterpret_cast<const char*>(t.bytes), t.size);
  }
  throw std::runtime_error("Resource " + std::string(name) + " not found");
}

}  // namespace quillfern::generator
