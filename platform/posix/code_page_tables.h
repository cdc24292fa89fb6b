// The code page tables that the build generates from the build machine's
// iconv (make_code_page_tables.cpp), for the characters above U+007F.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillfern::platform::tables {

// Pairs of the double-byte code pages: leads 0x81..0xFE, trails 0x40..0xFE.
inline constexpr unsigned kFirstLead = 0x81, kLeadCount = 0xFE - 0x81 + 1;
inline constexpr unsigned kFirstTrail = 0x40, kTrailCount = 0xFE - 0x40 + 1;
inline constexpr unsigned char kNoRow = 0xFF;

// One code page, in the decoding direction with an index for encoding. A
// character of 0 means that the bytes decode to no character.
struct CodePageTable {
  unsigned codePage;
  const char16_t* singles;         // 128: what bytes 0x80..0xFF decode to alone
  const unsigned char* rowOfLead;  // kLeadCount: each lead's row or kNoRow; null for single-byte pages
  const char16_t* rows;            // kTrailCount per row: what the lead and each trail decode to
  // The bytes that write each character (a byte, or lead * 256 + trail),
  // ordered by the character they decode to; one entry per character.
  const std::uint16_t* byCharacter;
  std::size_t characters;  // entries of byCharacter
};

extern const CodePageTable kCodePageTables[];
extern const std::size_t kCodePageTableCount;

}  // namespace quillfern::platform::tables
