// The type library, read back field by field against its MSFT layout.
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "generator/template_store.h"

namespace quillfern::generator {
namespace {

class TypeLibrary : public ::testing::Test {
 protected:
  const std::string tlb = LoadTemplate("OfficeAddinTlbFile");

  std::int32_t Int32(std::size_t at) const {
    const auto* b = reinterpret_cast<const unsigned char*>(tlb.data()) + at;
    return static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                     std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
  }
  std::uint16_t Word(std::size_t at) const {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(tlb[at]) |
                                      static_cast<unsigned char>(tlb[at + 1]) << 8);
  }
};

TEST_F(TypeLibrary, Is1032BytesWithZeroBytesKept) {
  ASSERT_EQ(tlb.size(), 1032u);
  EXPECT_EQ(tlb[5], '\0');
  EXPECT_EQ(tlb.find('%'), std::string::npos);
}

TEST_F(TypeLibrary, HeaderHoldsTheLibraryAttributes) {
  EXPECT_EQ(tlb.substr(0, 4), "MSFT");
  const std::pair<std::size_t, std::int32_t> fields[] = {
      {0x04, 0x10002}, {0x08, 0},   {0x0C, 0x0409}, {0x10, 0},  {0x14, 0x151}, {0x18, 1},
      {0x1C, 0},       {0x20, 0},   {0x24, 0},      {0x28, 0},  {0x2C, 0},     {0x30, 1},
      {0x34, 8},       {0x38, 0},   {0x3C, -1},     {0x40, -1}, {0x44, 32},    {0x48, 128},
      {0x4C, -1},      {0x50, 0},   {0x54, -1},
  };
  for (const auto& [offset, value] : fields) EXPECT_EQ(Int32(offset), value) << "header field at " << offset;
  EXPECT_EQ(Int32(0x14) & 0xF, 1) << "SYS_WIN32";
}

TEST_F(TypeLibrary, SegmentDirectoryPlacesTheFiveSegmentsBackToBack) {
  const std::pair<std::int32_t, std::int32_t> segments[15] = {
      {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {0x148, 128}, {0x1C8, 24}, {0x1E0, 512}, {0x3E0, 20},
      {0x3F4, 20}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}};
  for (std::size_t entry = 0; entry < 15; ++entry) {
    const std::size_t at = 0x58 + entry * 16;
    EXPECT_EQ(Int32(at), segments[entry].first) << "entry " << entry + 1 << " offset";
    EXPECT_EQ(Int32(at + 4), segments[entry].second) << "entry " << entry + 1 << " length";
    EXPECT_EQ(Int32(at + 8), -1) << "entry " << entry + 1;
    EXPECT_EQ(Int32(at + 12), 15) << "entry " << entry + 1;
  }
  EXPECT_EQ(0x3F4 + 20, 1032);
}

TEST_F(TypeLibrary, GuidTableHoldsTheLibraryIdentifierInItsHashBucket) {
  const unsigned char libid[16] = {0x2A, 0xC3, 0xDE, 0xBC, 0x97, 0xDF, 0xBC, 0x4D,
                                   0xA1, 0x5C, 0x57, 0xDF, 0x12, 0x55, 0x8B, 0xBD};
  EXPECT_EQ(std::memcmp(tlb.data() + 0x1C8, libid, 16), 0);
  EXPECT_EQ(Int32(0x1C8 + 16), -2);
  EXPECT_EQ(Int32(0x1C8 + 20), -1);
  std::uint16_t hash = 0;
  for (std::size_t i = 0; i < 16; i += 2) hash ^= Word(0x1C8 + i);
  const std::size_t bucket = hash & 0x1F;
  EXPECT_EQ(bucket, 16u);
  for (std::size_t b = 0; b < 32; ++b)
    EXPECT_EQ(Int32(0x148 + 4 * b), b == bucket ? 0 : -1) << "GUID bucket " << b;
}

TEST_F(TypeLibrary, NameTableHoldsAddinLibInTheBucketOfItsHash) {
  EXPECT_EQ(Int32(0x3E0), -1);
  EXPECT_EQ(Int32(0x3E4), -1);
  EXPECT_EQ(static_cast<unsigned char>(tlb[0x3E8]), 8);
  EXPECT_EQ(static_cast<unsigned char>(tlb[0x3E9]), 0);
  const std::uint16_t hash = Word(0x3EA);
  EXPECT_EQ(hash, 0x5551);
  EXPECT_EQ(tlb.substr(0x3EC, 8), "AddinLib");
  const std::size_t bucket = (hash & 0xFF) & 0x7F;
  EXPECT_EQ(bucket, 81u);
  for (std::size_t b = 0; b < 128; ++b)
    EXPECT_EQ(Int32(0x1E0 + 4 * b), b == bucket ? 0 : -1) << "name bucket " << b;
}

TEST_F(TypeLibrary, StringTableHoldsTheDocumentationPaddedWith0x57) {
  EXPECT_EQ(Word(0x3F4), 16);
  EXPECT_EQ(tlb.substr(0x3F6, 16), "AddinLib Library");
  EXPECT_EQ(tlb.substr(0x406, 2), "\x57\x57");
}

}  // namespace
}  // namespace quillfern::generator
