// Bytes as the check reads them, from the registry and from files:
// little-endian numbers, UTF-16LE text, and the registry's values made of
// them. Pure and portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace quillfern::check {

// The little-endian number of 2 or 4 bytes at At, which the caller has
// made sure lie within Bytes.
inline std::uint16_t LittleEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}
inline std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(LittleEndian16(bytes, at)) |
         static_cast<std::uint32_t>(LittleEndian16(bytes, at + 2)) << 16;
}

// UTF-16LE bytes as UTF-8, every unit, NULs included; a lone surrogate
// becomes U+FFFD and an odd last byte is left out.
std::string Utf8FromUtf16Le(std::string_view bytes);

// The same up to the first NUL, or all of it when it has none.
std::string Utf8UpToNul(std::string_view utf16le);

// A REG_SZ or REG_EXPAND_SZ value's text up to its first NUL (a value need
// not end in one); nothing for a value of another type or none at all.
std::optional<std::string> TextOf(const platform::RegistryValue& value);

// A REG_DWORD value's number; nothing for another type or another size.
std::optional<std::uint32_t> DwordOf(const platform::RegistryValue& value);

// The name of a value type as regedit shows it ("REG_SZ"), or its number.
std::string TypeName(std::uint32_t type);

}  // namespace quillfern::check
