// Code page conversion on Linux and other POSIX systems: our own strict
// UTF-8 decoder and the tables that the build generated from iconv, so that
// a statically linked program needs no converter at run time.
#include "platform/code_page.h"

#include <algorithm>
#include <cstdint>

#include "platform/ascii.h"
#include "platform/posix/code_page_tables.h"
#include "platform/utf8.h"

namespace quillfern::platform {

namespace {

using tables::CodePageTable;

constexpr unsigned kUtf8CodePage = 65001;

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
    if (!d.ok && d.loneSurrogate) return {Conversion::Result::LoneSurrogate, {}, d.character};
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
