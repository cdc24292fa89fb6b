#include "check/registry_text.h"

#include <algorithm>

#include "platform/utf8.h"

namespace quillfern::check {

std::string Utf8FromUtf16Le(std::string_view bytes) {
  std::string out;
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&](std::size_t i) -> char32_t {
    return static_cast<unsigned char>(bytes[2 * i]) | static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
  };
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
      platform::AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00), out);
      ++i;
    } else if (u >= 0xD800 && u < 0xE000) {
      platform::AppendUtf8(0xFFFD, out);
    } else {
      platform::AppendUtf8(u, out);
    }
  }
  return out;
}

std::string Utf8UpToNul(std::string_view utf16le) {
  std::string text = Utf8FromUtf16Le(utf16le);
  text.resize(std::min(text.find('\0'), text.size()));
  return text;
}

std::optional<std::string> TextOf(const platform::RegistryValue& value) {
  if (!value.present || (value.type != platform::kRegSz && value.type != platform::kRegExpandSz)) return std::nullopt;
  return Utf8UpToNul(value.data);
}

std::optional<std::uint32_t> DwordOf(const platform::RegistryValue& value) {
  if (!value.present || value.type != platform::kRegDword || value.data.size() != 4) return std::nullopt;
  return LittleEndian32(value.data, 0);
}

std::string TypeName(std::uint32_t type) {
  switch (type) {
    case platform::kRegNone: return "REG_NONE";
    case platform::kRegSz: return "REG_SZ";
    case platform::kRegExpandSz: return "REG_EXPAND_SZ";
    case platform::kRegBinary: return "REG_BINARY";
    case platform::kRegDword: return "REG_DWORD";
    case platform::kRegMultiSz: return "REG_MULTI_SZ";
    case platform::kRegQword: return "REG_QWORD";
  }
  return "type " + std::to_string(type);
}

}  // namespace quillfern::check
