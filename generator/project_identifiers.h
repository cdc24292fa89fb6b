// What the generated project's Pascal source names besides the user's names,
// and how long its lines may grow: the facts a check needs to refuse a name
// or a text that would stop the project from building.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "generator/wizard_settings.h"

namespace quillfern::generator {

// Delphi (before version 12) takes at most this many characters in one
// string literal, and at most this many in one source line.
inline constexpr std::size_t kMaxLiteralLength = 255;
inline constexpr std::size_t kMaxLineLength = 1023;

// The names the project source ("library <class name>;") takes from
// elsewhere: the units it uses and compiles with it, and the routines it
// exports. A library named like one of them no longer finds it, or writes
// its object file over that unit's.
const std::vector<std::string_view>& ProjectSourceNames();

// The units the add-in unit uses, and its own name.
const std::vector<std::string_view>& AddInUnitUses();

// What the add-in unit of Settings looks up in the units it uses: the same
// for every project, and what follows from the host (its wrapper class and
// kind), the hive (the root key) and the load behaviour (its names).
std::vector<std::string> AddInUnitLookups(const WizardSettings& settings);

// The length of every line of the project's Pascal files (the .dpr and the
// unit), which Delphi's compiler reads. The values that come from the
// machine do not count: only the settings' share of a line.
std::vector<std::size_t> PascalLineLengths(const WizardSettings& settings);

// The longest class name, and the longest interface unit name (without
// ".pas"), that keep every Pascal line of Settings' project within
// kMaxLineLength.
std::size_t LongestClassName(const WizardSettings& settings);
std::size_t LongestInterfaceUnitName(const WizardSettings& settings);

}  // namespace quillfern::generator
