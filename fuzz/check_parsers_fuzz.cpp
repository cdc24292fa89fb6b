// The two parsers of what the add-in check reads from files and the
// registry, on any bytes: the PE header reader never asks for more than it
// bounds itself to and reports only what the bytes hold, and a disabled
// item is taken exactly when its lengths fit, as a model of the layout
// says.
#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>

#include "check/disabled_items.h"
#include "check/pe_image.h"
#include "fuzz/fuzz_input.h"

namespace {

using namespace quillfern;

std::uint32_t U32(const std::string& b, std::size_t at) {
  std::uint32_t n = 0;
  for (std::size_t i = 4; i-- > 0;) n = n << 8 | static_cast<unsigned char>(b[at + i]);
  return n;
}

void CheckPeImage(const std::string& bytes) {
  std::size_t largest = 0;
  const check::ByteReader reader = [&](std::uint64_t offset, std::size_t size) -> std::optional<std::string> {
    largest = std::max(largest, size);
    if (offset >= bytes.size()) return std::string();
    return bytes.substr(static_cast<std::size_t>(offset), size);
  };
  const auto result = check::ReadPeImage(reader);
  if (largest > (std::size_t{1} << 20)) fuzz::Fail("the PE reader asked for more than 1 MiB at once");
  const auto* image = std::get_if<check::PeImage>(&result);
  if (!image) return;
  const std::size_t pe = U32(bytes, 0x3C);
  const auto machine = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[pe + 4]) |
                                                  static_cast<unsigned char>(bytes[pe + 5]) << 8);
  if (image->machine != machine) fuzz::Fail("the machine is not the file header's");
  if (image->isDll != ((static_cast<unsigned char>(bytes[pe + 23]) & 0x20) != 0))
    fuzz::Fail("the DLL bit is not the file header's");
  if (image->exportsProblem && !image->exports.empty()) fuzz::Fail("exports given though they could not be read");
  if (image->exports.size() > (1u << 16)) fuzz::Fail("more export names than the reader bounds itself to");
  for (const std::string& name : image->exports)
    if (name.size() > 512 || name.find('\0') != std::string::npos || bytes.find(name) == std::string::npos)
      fuzz::Fail("an export name the file does not hold", name);
}

void CheckDisabledItem(const std::string& bytes) {
  const auto result = check::ParseDisabledItem(bytes);
  // The layout's own rule for which values fit.
  bool fits = bytes.size() >= 12;
  std::uint32_t path = 0, name = 0;
  if (fits) {
    path = U32(bytes, 4);
    name = U32(bytes, 8);
    const std::uint64_t rest = bytes.size() - 12;
    fits = path <= rest && name <= rest - path && path % 2 == 0 && name % 2 == 0 && path >= 2 &&
           (bytes[12] != '\0' || bytes[13] != '\0');
  }
  const auto* item = std::get_if<check::DisabledItem>(&result);
  if (fits != (item != nullptr)) fuzz::Fail(fits ? "a value that fits was refused" : "a value that does not fit was taken");
  if (!item) return;
  if (item->type != U32(bytes, 0)) fuzz::Fail("the type is not the value's first four bytes");
  // UTF-8 takes at most three bytes for each UTF-16 unit.
  if (item->path.empty() || item->path.size() > path / 2 * 3 || item->name.size() > name / 2 * 3)
    fuzz::Fail("a text longer than its units can give", item->path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckPeImage(bytes);
  CheckDisabledItem(bytes);
  return 0;
}
