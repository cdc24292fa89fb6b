// The PE header reader on bytes built here: what it reads from a DLL as
// the linker writes one, and that every truncated or hostile file is
// refused with its reason, without reading past what the file holds or
// asking for more than a bounded amount.
#include "check/pe_image.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quillfern::check {
namespace {

// A small image: DOS header, PE header, one section holding the export
// directory, its table of name addresses and the names; then, if asked,
// a certificate table at the end.
struct Wanted {
  std::uint16_t machine = kMachineX64;
  bool pe32Plus = true;
  bool dll = true;
  std::vector<std::string> exports{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                   "DllUnregisterServer"};
  bool certificates = false;
};

constexpr std::uint32_t kPeAt = 0x80, kSectionAddress = 0x1000, kSectionFileAt = 0x400;

void Put16(std::string& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2, '\0');
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// Offsets of the fields the hostile cases change.
struct Layout {
  std::size_t sectionCount = kPeAt + 6, optionalSize = kPeAt + 20, optional = kPeAt + 24;
  std::size_t directories = 0, sectionTable = 0, exportDirectory = kSectionFileAt, nameTable = 0, firstName = 0;
  std::size_t headersEnd = 0;
};

std::string Build(const Wanted& wanted, Layout* layout = nullptr) {
  Layout l;
  std::string b(kSectionFileAt, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, kPeAt);
  b.replace(kPeAt, 4, std::string("PE\0\0", 4));
  Put16(b, kPeAt + 4, wanted.machine);
  Put16(b, l.sectionCount, 1);
  const std::uint32_t optionalSize = wanted.pe32Plus ? 240 : 224;
  Put16(b, l.optionalSize, optionalSize);
  Put16(b, kPeAt + 22, wanted.dll ? 0x2022 : 0x0022);
  Put16(b, l.optional, wanted.pe32Plus ? 0x20B : 0x10B);
  l.directories = l.optional + (wanted.pe32Plus ? 112 : 96);
  Put32(b, l.directories - 4, 16);
  l.sectionTable = l.optional + optionalSize;
  l.headersEnd = l.sectionTable + 40;

  // The section's data: directory (40 bytes), name addresses, names.
  std::string data(40, '\0');
  Put32(data, 24, static_cast<std::uint32_t>(wanted.exports.size()));
  const std::uint32_t table = 40;
  Put32(data, 32, kSectionAddress + table);
  std::uint32_t name = table + 4 * static_cast<std::uint32_t>(wanted.exports.size());
  l.nameTable = kSectionFileAt + table;
  l.firstName = kSectionFileAt + name;
  for (std::size_t i = 0; i < wanted.exports.size(); ++i) {
    Put32(data, table + 4 * i, kSectionAddress + name);
    data.resize(name);
    data += wanted.exports[i] + '\0';
    name = static_cast<std::uint32_t>(data.size());
  }
  const auto dataSize = static_cast<std::uint32_t>(data.size());
  Put32(b, l.directories, kSectionAddress);  // export directory
  Put32(b, l.directories + 4, dataSize);
  b.replace(l.sectionTable, 8, std::string(".edata\0\0", 8));
  Put32(b, l.sectionTable + 8, dataSize);
  Put32(b, l.sectionTable + 12, kSectionAddress);
  Put32(b, l.sectionTable + 16, dataSize);
  Put32(b, l.sectionTable + 20, kSectionFileAt);
  b += data;
  if (wanted.certificates) {
    b.resize((b.size() + 7) / 8 * 8, '\0');
    Put32(b, l.directories + 4 * 8, static_cast<std::uint32_t>(b.size()));
    Put32(b, l.directories + 4 * 8 + 4, 16);
    std::string certificate(16, '\0');
    Put32(certificate, 0, 16);
    Put16(certificate, 4, 0x0200);
    Put16(certificate, 6, 0x0002);
    b += certificate;
  }
  if (layout) *layout = l;
  return b;
}

// Reads Bytes and remembers the largest amount asked for at once.
struct CountingReader {
  const std::string& bytes;
  std::size_t largest = 0;
  ByteReader reader() {
    return [this](std::uint64_t offset, std::size_t size) -> std::optional<std::string> {
      largest = std::max(largest, size);
      if (offset >= bytes.size()) return std::string();
      return bytes.substr(static_cast<std::size_t>(offset), size);
    };
  }
};

PeImage ReadWhole(const std::string& bytes) {
  const auto result = ReadPeImage(ReaderOver(bytes));
  if (const auto* problem = std::get_if<PeProblem>(&result))
    ADD_FAILURE() << "refused with problem " << static_cast<int>(*problem);
  return std::holds_alternative<PeImage>(result) ? std::get<PeImage>(result) : PeImage{};
}

TEST(PeImage, ReadsWhatTheHeadersSay) {
  struct Case {
    const char* what;
    Wanted wanted;
  };
  const Case cases[] = {
      {"a 64-bit DLL", {}},
      {"a 32-bit DLL, signed", {kMachineX86, false, true, {"DllGetClassObject"}, true}},
      {"an ARM64 DLL without exports", {kMachineArm64, true, true, {}, false}},
      {"an executable", {kMachineX64, true, false, {"main"}, false}},
  };
  for (const Case& c : cases) {
    const PeImage image = ReadWhole(Build(c.wanted));
    EXPECT_EQ(image.machine, c.wanted.machine) << c.what;
    EXPECT_EQ(image.pe32Plus, c.wanted.pe32Plus) << c.what;
    EXPECT_EQ(image.isDll, c.wanted.dll) << c.what;
    EXPECT_EQ(image.hasCertificates, c.wanted.certificates) << c.what;
    EXPECT_EQ(image.exports, c.wanted.exports) << c.what;
    EXPECT_FALSE(image.exportsProblem) << c.what;
  }
}

TEST(PeImage, NamesMachinesAndTheirRegistryViews) {
  EXPECT_EQ(MachineName(kMachineX86), "x86");
  EXPECT_EQ(MachineName(kMachineX64), "x64");
  EXPECT_EQ(MachineName(kMachineArm64), "ARM64");
  EXPECT_EQ(MachineName(0x01C4), "0x01C4");
  EXPECT_TRUE(ReadsThe32BitView(kMachineX86));
  EXPECT_FALSE(ReadsThe32BitView(kMachineX64));
  EXPECT_FALSE(ReadsThe32BitView(kMachineArm64));
}

// Every prefix of a valid image is refused for what it lacks: the headers
// whole, or else the exports; the whole file alone reads completely.
TEST(PeImage, RefusesEveryTruncationForWhatItLacks) {
  Layout l;
  const std::string whole = Build({}, &l);
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    const std::string cut = whole.substr(0, length);
    const auto result = ReadPeImage(ReaderOver(cut));
    const std::string at = "cut at " + std::to_string(length);
    if (length < 64) {
      ASSERT_EQ(std::get<PeProblem>(result), PeProblem::NoMzHeader) << at;
    } else if (length <= kPeAt) {
      ASSERT_EQ(std::get<PeProblem>(result), PeProblem::HeaderOutsideFile) << at;
    } else if (length < kPeAt + 4) {
      ASSERT_EQ(std::get<PeProblem>(result), PeProblem::NoPeSignature) << at;
    } else if (length < l.headersEnd) {
      ASSERT_EQ(std::get<PeProblem>(result), PeProblem::TruncatedHeaders) << at;
    } else if (length < whole.size()) {
      const PeImage& image = std::get<PeImage>(result);
      EXPECT_EQ(image.machine, kMachineX64) << at;
      ASSERT_TRUE(image.exportsProblem) << at;
      EXPECT_TRUE(image.exports.empty()) << at;
    } else {
      EXPECT_FALSE(std::get<PeImage>(result).exportsProblem) << at;
    }
  }
}

// What a spoiled image comes to: refused whole, read without its exports,
// or read (with neither problem set).
struct Outcome {
  std::optional<PeProblem> refused;
  std::optional<ExportProblem> exports;
};

TEST(PeImage, RefusesHostileHeadersWithoutAskingForMuch) {
  struct Case {
    const char* what;
    std::function<void(std::string&, const Layout&)> spoil;
    Outcome expected;
  };
  const Case cases[] = {
      {"not MZ", [](std::string& b, const Layout&) { b[0] = 'Z'; }, {PeProblem::NoMzHeader, {}}},
      {"the PE header past the end", [](std::string& b, const Layout&) { Put32(b, 0x3C, 0xFFFFFFF0); },
       {PeProblem::HeaderOutsideFile, {}}},
      {"the PE header at the last byte",
       [](std::string& b, const Layout&) { Put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 1)); },
       {PeProblem::NoPeSignature, {}}},
      {"no signature", [](std::string& b, const Layout&) { b[kPeAt + 1] = 'X'; }, {PeProblem::NoPeSignature, {}}},
      {"65535 sections", [](std::string& b, const Layout& l) { Put16(b, l.sectionCount, 0xFFFF); },
       {PeProblem::TooManySections, {}}},
      {"97 sections", [](std::string& b, const Layout& l) { Put16(b, l.sectionCount, 97); },
       {PeProblem::TooManySections, {}}},
      {"96 sections, the table cut short", [](std::string& b, const Layout& l) { Put16(b, l.sectionCount, 96); },
       {PeProblem::TruncatedHeaders, {}}},
      {"an optional header of 65535 bytes",
       [](std::string& b, const Layout& l) { Put16(b, l.optionalSize, 0xFFFF); }, {PeProblem::TruncatedHeaders, {}}},
      {"an optional header too small for its directories",
       [](std::string& b, const Layout& l) { Put16(b, l.optionalSize, 100); }, {PeProblem::TruncatedHeaders, {}}},
      {"an unknown optional header", [](std::string& b, const Layout& l) { Put16(b, l.optional, 0x107); },
       {PeProblem::UnknownOptionalHeader, {}}},
      {"exports at an address in no section", [](std::string& b, const Layout& l) { Put32(b, l.directories, 0x7000); },
       {{}, ExportProblem::DirectoryOutsideSections}},
      {"4 billion names", [](std::string& b, const Layout& l) { Put32(b, l.exportDirectory + 24, 0xFFFFFFFF); },
       {{}, ExportProblem::TooManyNames}},
      {"more names than the section holds",
       [](std::string& b, const Layout& l) { Put32(b, l.exportDirectory + 24, 5000); }, {{}, ExportProblem::TooManyNames}},
      {"the name table in no section",
       [](std::string& b, const Layout& l) { Put32(b, l.exportDirectory + 32, 0x9000); },
       {{}, ExportProblem::DirectoryOutsideSections}},
      {"a name in no section", [](std::string& b, const Layout& l) { Put32(b, l.nameTable, 0x80000000); },
       {{}, ExportProblem::UnreadableName}},
      {"a name running off its section", [](std::string& b, const Layout&) { b.back() = 'x'; },
       {{}, ExportProblem::UnreadableName}},
      {"a section whose data lies past the end",
       [](std::string& b, const Layout& l) { Put32(b, l.sectionTable + 20, 0x7FFFFFF0); },
       {{}, ExportProblem::TruncatedDirectory}},
      {"a section and an export directory of 4 GB, read no further than the file",
       [](std::string& b, const Layout& l) {
         Put32(b, l.sectionTable + 16, 0xFFFFFFFF);
         Put32(b, l.directories + 4, 0xFFFFFFFF);
       },
       {}},
      {"a certificate table past the end, taken for none",
       [](std::string& b, const Layout& l) {
         Put32(b, l.directories + 32, 0xFFFFFF00);
         Put32(b, l.directories + 36, 0xFFFF);
       },
       {}},
  };
  for (const Case& c : cases) {
    Layout l;
    std::string bytes = Build({}, &l);
    c.spoil(bytes, l);
    CountingReader counting{bytes};
    const auto result = ReadPeImage(counting.reader());
    EXPECT_LE(counting.largest, std::size_t{1} << 20) << c.what;
    if (c.expected.refused) {
      ASSERT_TRUE(std::holds_alternative<PeProblem>(result)) << c.what;
      EXPECT_EQ(std::get<PeProblem>(result), *c.expected.refused) << c.what;
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<PeImage>(result)) << c.what << ": refused with "
                                                         << static_cast<int>(std::get<PeProblem>(result));
    const PeImage& image = std::get<PeImage>(result);
    EXPECT_EQ(image.exportsProblem, c.expected.exports) << c.what;
    EXPECT_FALSE(image.hasCertificates) << c.what;
    if (!c.expected.exports) {
      EXPECT_EQ(image.exports.size(), 4u) << c.what;
    }
  }
}

TEST(PeImage, SaysWhenTheReaderFails) {
  const ByteReader failing = [](std::uint64_t, std::size_t) -> std::optional<std::string> { return std::nullopt; };
  EXPECT_EQ(std::get<PeProblem>(ReadPeImage(failing)), PeProblem::ReadFailed);
  // Failing after the headers leaves the image, without its exports.
  const std::string bytes = Build({});
  const ByteReader headersOnly = [&](std::uint64_t offset, std::size_t size) -> std::optional<std::string> {
    if (offset >= kSectionFileAt) return std::nullopt;
    return bytes.substr(static_cast<std::size_t>(offset), size);
  };
  const auto result = ReadPeImage(headersOnly);
  ASSERT_TRUE(std::holds_alternative<PeImage>(result));
  EXPECT_EQ(std::get<PeImage>(result).exportsProblem, ExportProblem::ReadFailed);
}

}  // namespace
}  // namespace quillfern::check
