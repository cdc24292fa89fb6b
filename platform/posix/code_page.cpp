// Code page conversion on Linux and other POSIX systems: our own strict
// UTF-8 decoder and the tables that the build generated from iconv, so that
// a statically linked program needs no converter at run time.
#include "platform/code_page.h"

#include <algorithm>
#include <cstdint>

#include "platform/ascii.h"
#include "platform/posix/code_page_tables.h"

namespace quillfern::platform {

namespace {

using tables::CodePageTable;

constexpr unsigned kUtf8CodePage = 65001;

// One character read from UTF-8: its value and the bytes it took. A
// malformed sequence gives ok = false and the length of its longest
// well-formed beginning (at least 1), which is what a reader skips.
struct Decoded {
  char32_t character;
  std::size_t length;
  bool ok;
};

Decoded DecodeUtf8(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned first = byte(at);
  if (first < 0x80) return {first, 1, true};
  std::size_t length = 0;
  char32_t value = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte, which rules out overlong
                                     // forms, surrogates and values above U+10FFFF
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2, value = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3, value = first & 0x0F;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4, value = first & 0x07;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    return {0, 1, false};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (at + i >= text.size()) return {0, i, false};
    const unsigned next = byte(at + i);
    if (next < low || next > high) return {0, i, false};
    low = 0x80, high = 0xBF;
    value = value << 6 | (next & 0x3F);
  }
  return {value, length, true};
}

// The generated table of an ANSI code page; null for any other.
const CodePageTable* TableOf(unsigned codePage) {
  const CodePageTable* end = tables::kCodePageTables + tables::kCodePageTableCount;
  const CodePageTable* found = std::find_if(tables::kCodePageTables, end,
                                            [&](const CodePageTable& t) { return t.codePage == codePage; });
  return found == end ? nullptr : found;
}

// What a byte sequence of the table (a byte, or lead * 256 + trail) decodes
// to; 0 when it is not one.
char16_t CharacterOf(const CodePageTable& table, unsigned sequence) {
  if (sequence < 0x100) return sequence >= 0x80 ? table.singles[sequence - 0x80] : 0;
  const unsigned lead = sequence >> 8, trail = sequence & 0xFF;
  if (!table.rowOfLead || lead < tables::kFirstLead || lead >= tables::kFirstLead + tables::kLeadCount ||
      trail < tables::kFirstTrail || trail >= tables::kFirstTrail + tables::kTrailCount)
    return 0;
  const unsigned row = table.rowOfLead[lead - tables::kFirstLead];
  if (row == tables::kNoRow) return 0;
  return table.rows[row * tables::kTrailCount + (trail - tables::kFirstTrail)];
}

// Appends the bytes that write C exactly; false when the code page has none.
bool AppendEncoded(const CodePageTable* table, char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
    return true;
  }
  if (!table || c > 0xFFFF) return false;
  const std::uint16_t* end = table->byCharacter + table->characters;
  const std::uint16_t* found =
      std::lower_bound(table->byCharacter, end, c,
                       [&](std::uint16_t s, char32_t key) { return CharacterOf(*table, s) < key; });
  if (found == end || CharacterOf(*table, *found) != c) return false;
  if (*found >= 0x100) out += static_cast<char>(*found >> 8);
  out += static_cast<char>(*found & 0xFF);
  return true;
}

}  // namespace

unsigned DefaultCodePage() { return 1252; }

Conversion ToCodePage(std::string_view utf8, unsigned codePage) {
  Conversion conversion;
  const CodePageTable* table = TableOf(codePage);
  const bool keepUtf8 = codePage == kUtf8CodePage;
  bool unwritable = false;
  // Malformed text outranks an unwritable character wherever each comes,
  // as on Windows, which decodes the whole text before converting any of it.
  for (std::size_t at = 0; at < utf8.size();) {
    const Decoded d = DecodeUtf8(utf8, at);
    if (!d.ok) return {Conversion::Result::NotUtf8, {}, 0};
    if (keepUtf8) {
      conversion.bytes.append(utf8, at, d.length);
    } else if (!unwritable && !AppendEncoded(table, d.character, conversion.bytes)) {
      unwritable = true;
      conversion.character = d.character;
    }
    at += d.length;
  }
  if (unwritable) {
    conversion.result = Conversion::Result::Unwritable;
    conversion.bytes.clear();
  }
  return conversion;
}

Conversion PathFromUtf8(std::string_view utf8) { return {Conversion::Result::Exact, std::string(utf8), 0}; }

std::string AnsiUpperCase(std::string_view text) {
  // The system's texts here are UTF-8, whose multi-byte letters cannot be
  // upper-cased byte for byte: only A to Z change.
  return AsciiUpper(text);
}

}  // namespace quillfern::platform
