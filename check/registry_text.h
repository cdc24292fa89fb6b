// The registry's values as the check reads them: text from the UTF-16LE
// bytes of the string types, and numbers from a DWORD's four bytes. Pure
// and portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace quillfern::check {

// UTF-16LE bytes as UTF-8, every unit, NULs included; a lone surrogate
// becomes U+FFFD and an odd last byte is left out.
std::string Utf8FromUtf16Le(std::string_view bytes);

// A REG_SZ or REG_EXPAND_SZ value's text up to its first NUL (a value need
// not end in one); nothing for a value of another type or none at all.
std::optional<std::string> TextOf(const platform::RegistryValue& value);

// A REG_DWORD value's number; nothing for another type or another size.
std::optional<std::uint32_t> DwordOf(const platform::RegistryValue& value);

// The name of a value type as regedit shows it ("REG_SZ"), or its number.
std::string TypeName(std::uint32_t type);

}  // namespace quillfern::check
