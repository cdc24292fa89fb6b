#include "generator/template_store.h"

#include <stdexcept>

#include "generator/embedded_templates.h"

namespace quillfern::generator {

namespace {

// Resource names are ASCII, so plain A-to-Z folding is the whole rule.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string LoadTemplate(std::string_view name) {
  for (std::size_t i = 0; i < kEmbeddedTemplateCount; ++i) {
    const EmbeddedTemplate& t = kEmbeddedTemplates[i];
    if (SameName(t.name, name)) return std::string(reinterpret_cast<const char*>(t.bytes), t.size);
  }
  throw std::runtime_error("Resource " + std::string(name) + " not found");
}

}  // namespace quillfern::generator
