#pragma once

#include <string>
#include <string_view>

namespace quillfern::generator {

// Replaces every occurrence of Token in Text with Value, in place. Matching
// ignores letter case (the system's upper-casing); the search runs left to
// right, matches never overlap, and an inserted value is never searched
// again within the same call. An empty token changes nothing. Never fails.
void ReplaceToken(std::string& text, std::string_view token, std::string_view value);

}  // namespace quillfern::generator
