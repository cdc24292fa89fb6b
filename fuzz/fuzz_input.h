// Splits a fuzzer's byte string into text fields. The first byte names the
// separator for the rest, so every byte value can still occur in a field
// (only the one chosen as separator cannot, and a different input chooses
// another); seed files stay readable: "|text|token|value".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillfern::fuzz {

inline std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> fields;
  if (size == 0) return fields;
  const char separator = static_cast<char>(data[0]);
  fields.emplace_back();
  for (std::size_t i = 1; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == separator) fields.emplace_back();
    else fields.back() += c;
  }
  return fields;
}

// The field at Index, or empty when the input has fewer.
inline const std::string& Field(const std::vector<std::string>& fields, std::size_t index) {
  static const std::string none;
  return index < fields.size() ? fields[index] : none;
}

// Stops the run with a message: the fuzzer keeps the input as a crash.
[[noreturn]] void Fail(const char* what, const std::string& detail = {});

}  // namespace quillfern::fuzz
