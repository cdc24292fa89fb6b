#include "check/pe_image.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "check/registry_text.h"

namespace quillfern::check {

namespace {

// Limits that no DLL of ours comes near and that keep a hostile file from
// asking for much: Windows loads at most 96 sections.
constexpr std::uint32_t kMaxSections = 96;
constexpr std::uint32_t kMaxExportNames = 1 << 16;
constexpr std::size_t kMaxExportBlock = 1 << 20;
constexpr std::size_t kMaxNameLength = 512;

constexpr std::uint16_t kFileDll = 0x2000;
constexpr std::uint16_t kMagicPe32 = 0x10B, kMagicPe32Plus = 0x20B;
constexpr std::size_t kExportEntry = 0, kCertificateEntry = 4;

constexpr auto U16 = LittleEndian16;
constexpr auto U32 = LittleEndian32;

struct Section {
  std::uint32_t address, rawSize, rawOffset;
};

// Where the data at an RVA lies in the file, and how much of the section's
// data follows it; nothing for an address in no section's file data.
struct Place {
  std::uint64_t offset;
  std::uint64_t available;
};
std::optional<Place> PlaceOf(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const Section& s : sections) {
    if (rva < s.address) continue;
    const std::uint64_t into = static_cast<std::uint64_t>(rva) - s.address;
    if (into < s.rawSize) return Place{static_cast<std::uint64_t>(s.rawOffset) + into, s.rawSize - into};
  }
  return std::nullopt;
}

// Exactly Size bytes at Offset into Bytes: Short when the file has fewer
// there, Failed when the reader could not read.
enum class Got { Whole, Short, Failed };
Got ReadExactly(const ByteReader& read, std::uint64_t offset, std::size_t size, std::string& bytes) {
  auto got = read(offset, size);
  if (!got) return Got::Failed;
  if (got->size() < size) return Got::Short;
  bytes = std::move(*got);
  bytes.resize(size);
  return Got::Whole;
}

// The export names, or why they cannot be read. Names are usually kept in
// the export directory's own range, read once; one outside it is read alone.
std::variant<std::vector<std::string>, ExportProblem> ReadExports(const ByteReader& read,
                                                                 const std::vector<Section>& sections,
                                                                 std::uint32_t rva, std::uint32_t size) {
  std::vector<std::string> names;
  if (rva == 0) return names;
  const auto place = PlaceOf(sections, rva);
  if (!place) return ExportProblem::DirectoryOutsideSections;
  const std::size_t blockSize =
      static_cast<std::size_t>(std::min<std::uint64_t>({size, place->available, kMaxExportBlock}));
  const auto block = read(place->offset, std::max<std::size_t>(blockSize, 40));
  if (!block) return ExportProblem::ReadFailed;
  if (block->size() < 40) return ExportProblem::TruncatedDirectory;
  const std::uint32_t count = U32(*block, 24), namesRva = U32(*block, 32);
  if (count == 0) return names;
  if (count > kMaxExportNames) return ExportProblem::TooManyNames;
  const auto table = PlaceOf(sections, namesRva);
  if (!table) return ExportProblem::DirectoryOutsideSections;
  if (table->available / 4 < count) return ExportProblem::TooManyNames;
  const auto pointers = read(table->offset, std::size_t{count} * 4);
  if (!pointers) return ExportProblem::ReadFailed;
  if (pointers->size() < std::size_t{count} * 4) return ExportProblem::TruncatedDirectory;

  const std::string_view inBlock(*block);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t nameRva = U32(*pointers, std::size_t{i} * 4);
    if (nameRva >= rva && nameRva - rva < inBlock.size()) {
      const std::string_view rest = inBlock.substr(nameRva - rva);
      const std::size_t end = rest.find('\0');
      if (end != std::string_view::npos && end <= kMaxNameLength) {
        names.emplace_back(rest.substr(0, end));
        continue;
      }
    }
    const auto at = PlaceOf(sections, nameRva);
    if (!at) return ExportProblem::UnreadableName;
    const auto bytes = read(at->offset, static_cast<std::size_t>(std::min<std::uint64_t>(at->available, kMaxNameLength + 1)));
    if (!bytes) return ExportProblem::ReadFailed;
    const std::size_t end = bytes->find('\0');
    if (end == std::string::npos) return ExportProblem::UnreadableName;
    names.push_back(bytes->substr(0, end));
  }
  return names;
}

}  // namespace

std::string MachineName(std::uint16_t machine) {
  switch (machine) {
    case kMachineX86: return "x86";
    case kMachineX64: return "x64";
    case kMachineArm64: return "ARM64";
  }
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(machine));
  return text;
}

bool ReadsThe32BitView(std::uint16_t machine) {
  return machine == kMachineX86 || machine == 0x01C0 /* ARM */ || machine == 0x01C4 /* ARM Thumb-2 */;
}

ByteReader ReaderOver(const std::string& bytes) {
  return [&bytes](std::uint64_t offset, std::size_t size) -> std::optional<std::string> {
    if (offset >= bytes.size()) return std::string();
    return bytes.substr(static_cast<std::size_t>(offset), size);
  };
}

std::variant<PeImage, PeProblem> ReadPeImage(const ByteReader& read) {
  const auto dos = read(0, 64);
  if (!dos) return PeProblem::ReadFailed;
  if (dos->size() < 64 || dos->compare(0, 2, "MZ") != 0) return PeProblem::NoMzHeader;
  const std::uint64_t peOffset = U32(*dos, 0x3C);

  const auto header = read(peOffset, 24);
  if (!header) return PeProblem::ReadFailed;
  if (header->empty()) return PeProblem::HeaderOutsideFile;
  if (header->compare(0, 4, std::string_view("PE\0\0", 4)) != 0) return PeProblem::NoPeSignature;
  if (header->size() < 24) return PeProblem::TruncatedHeaders;
  PeImage image;
  image.machine = U16(*header, 4);
  const std::uint16_t sectionCount = U16(*header, 6), optionalSize = U16(*header, 20);
  image.isDll = (U16(*header, 22) & kFileDll) != 0;
  if (sectionCount > kMaxSections) return PeProblem::TooManySections;

  std::string optional;
  if (const Got got = ReadExactly(read, peOffset + 24, optionalSize, optional); got != Got::Whole)
    return got == Got::Failed ? PeProblem::ReadFailed : PeProblem::TruncatedHeaders;
  if (optional.size() < 2) return PeProblem::TruncatedHeaders;
  const std::uint16_t magic = U16(optional, 0);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) return PeProblem::UnknownOptionalHeader;
  image.pe32Plus = magic == kMagicPe32Plus;
  const std::size_t countAt = image.pe32Plus ? 108 : 92, directoriesAt = countAt + 4;
  if (optional.size() < directoriesAt) return PeProblem::TruncatedHeaders;
  const std::size_t entries = std::min<std::size_t>(U32(optional, countAt), (optional.size() - directoriesAt) / 8);
  const auto entry = [&](std::size_t index, std::size_t field) -> std::uint32_t {
    return index < entries ? U32(optional, directoriesAt + index * 8 + field) : 0;
  };

  std::string table;
  if (const Got got = ReadExactly(read, peOffset + 24 + optionalSize, std::size_t{sectionCount} * 40, table);
      got != Got::Whole)
    return got == Got::Failed ? PeProblem::ReadFailed : PeProblem::TruncatedHeaders;
  std::vector<Section> sections;
  for (std::size_t i = 0; i < sectionCount; ++i)
    sections.push_back({U32(table, i * 40 + 12), U32(table, i * 40 + 16), U32(table, i * 40 + 20)});

  // The certificate table's address is a file offset, not an RVA: present
  // when its first WIN_CERTIFICATE header is there to read.
  const std::uint32_t certificates = entry(kCertificateEntry, 0), certificatesSize = entry(kCertificateEntry, 4);
  std::string first;
  image.hasCertificates =
      certificates != 0 && certificatesSize >= 8 && ReadExactly(read, certificates, 8, first) == Got::Whole;

  auto exports = ReadExports(read, sections, entry(kExportEntry, 0), entry(kExportEntry, 4));
  if (auto* names = std::get_if<std::vector<std::string>>(&exports)) image.exports = std::move(*names);
  else image.exportsProblem = std::get<ExportProblem>(exports);
  return image;
}

}  // namespace quillfern::check
