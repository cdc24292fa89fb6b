#pragma once

#include <string>
#include <string_view>

namespace quillfern::generator {

// The bytes of the template stored under Name (compared without regard to
// letter case), exactly as built into the program. Throws
// std::runtime_error("Resource <Name> not found") for a name not in the store.
std::string LoadTemplate(std::string_view name);

}  // namespace quillfern::generator
