// Build-time generator of the code page tables that the POSIX conversion
// uses. It asks this machine's iconv (glibc's) once, at build time, because
// a statically linked program cannot count on loading iconv's converters
// when it runs. Usage: make_code_page_tables <output.cpp>
//
// Each table is built from the decoding direction, the way Windows defines
// an exact conversion: a byte sequence maps to a character only when it
// decodes, alone, to exactly that one character. ASCII is not in the tables:
// it is itself in every code page.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/posix/code_page_tables.h"
#include "platform/scoped.h"

namespace {

using quillfern::platform::kAnsiCodePages;
namespace tables = quillfern::platform::tables;

// An iconv descriptor; iconv_open's failure is (iconv_t)-1.
struct IconvTraits {
  using Handle = iconv_t;
  static Handle Invalid() { return reinterpret_cast<iconv_t>(-1); }
  static bool Close(Handle cd) { return ::iconv_close(cd) == 0; }
};

// Converts between two encodings with a descriptor of its own.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(::iconv_open(to.c_str(), from.c_str())) {}
  bool ok() const { return static_cast<bool>(cd_); }

  // The whole input converted, with the converter's pending state flushed
  // at the end and reset afterwards; false when any of it does not convert.
  bool Convert(const std::string& input, std::string& output) {
    std::vector<char> buffer(64);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const bool converted = ::iconv(cd_.get(), &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
                           inLeft == 0 &&
                           ::iconv(cd_.get(), nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv(cd_.get(), nullptr, nullptr, nullptr, nullptr);
    output.assign(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
    return converted;
  }

 private:
  quillfern::platform::Scoped<IconvTraits> cd_;
};

std::string Utf32(char32_t c) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((c >> (8 * i)) & 0xFF);
  return bytes;
}

// The one character that Bytes decode to alone; 0 when they decode to
// nothing, to more than one character, to ASCII or to one above the BMP.
char32_t DecodeAlone(Converter& decoder, const std::string& bytes) {
  std::string utf32;
  if (!decoder.Convert(bytes, utf32) || utf32.size() != 4) return 0;
  char32_t c = 0;
  for (int i = 3; i >= 0; --i) c = (c << 8) | static_cast<unsigned char>(utf32[i]);
  return c < 0x80 || c > 0xFFFF ? 0 : c;
}

// A byte sequence as a number: a single byte is its value, a pair is lead * 256 + trail.
using Sequence = std::uint16_t;

std::string BytesOf(Sequence s) {
  return s < 0x100 ? std::string(1, static_cast<char>(s))
                   : std::string{static_cast<char>(s >> 8), static_cast<char>(s & 0xFF)};
}

struct Table {
  unsigned codePage = 0;
  std::vector<char16_t> singles;         // 128: bytes 0x80..0xFF
  std::vector<unsigned char> rowOfLead;  // 126: leads 0x81..0xFE; empty for single-byte code pages
  std::vector<char16_t> rows;            // tables::kTrailCount per row
  std::vector<Sequence> byCharacter;     // one sequence per character, in character order
};

// Characters that a code page has twice, where glibc's encoder writes one
// code and Windows the other: BIG5's box-drawing characters of row A2 that
// the ETEN row F9 repeats. Windows' choice wins, so that both builds write
// the same bytes.
const struct {
  unsigned codePage;
  char32_t character;
  Sequence sequence;
} kWindowsChoices[] = {
    {950, 0x2550, 0xF9F9}, {950, 0x255E, 0xF9E9}, {950, 0x2561, 0xF9EB}, {950, 0x256A, 0xF9EA}};

bool IsDoubleByte(unsigned codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// Every sequence of each character, ascending.
using SequencesOf = std::map<char32_t, std::vector<Sequence>>;

// The rows of the double-byte pairs into Table, each pair's character
// into Sequences; false, having said why, when a pair has a trail byte
// outside the range the tables hold.
bool ReadPairs(Converter& decoder, const std::string& name, Table& table, SequencesOf& sequences) {
  table.rowOfLead.assign(tables::kLeadCount, tables::kNoRow);
  for (unsigned lead = tables::kFirstLead; lead < tables::kFirstLead + tables::kLeadCount; ++lead) {
    std::vector<char16_t> row(tables::kTrailCount, 0);
    bool any = false;
    for (unsigned trail = 0; trail <= 0xFF; ++trail) {
      const Sequence s = static_cast<Sequence>(lead << 8 | trail);
      const char32_t c = DecodeAlone(decoder, BytesOf(s));
      if (c == 0) continue;
      if (trail < tables::kFirstTrail || trail >= tables::kFirstTrail + tables::kTrailCount) {
        std::fprintf(stderr, "make_code_page_tables: %s pair %04X is outside the tables' trail range\n",
                     name.c_str(), s);
        return false;
      }
      row[trail - tables::kFirstTrail] = static_cast<char16_t>(c);
      sequences[c].push_back(s);
      any = true;
    }
    if (!any) continue;
    table.rowOfLead[lead - tables::kFirstLead] = static_cast<unsigned char>(table.rows.size() / tables::kTrailCount);
    table.rows.insert(table.rows.end(), row.begin(), row.end());
  }
  return true;
}

// Where several sequences decode to one character, encoding takes the one
// Windows is known to write, else the one iconv itself writes for it when
// that decodes back, else the lowest.
Sequence Chosen(Converter& encoder, unsigned codePage, char32_t c, const std::vector<Sequence>& candidates) {
  const auto isCandidate = [&](Sequence s) {
    return std::find(candidates.begin(), candidates.end(), s) != candidates.end();
  };
  Sequence chosen = candidates.front();
  std::string encoded;
  if (candidates.size() > 1 && encoder.Convert(Utf32(c), encoded) && !encoded.empty() && encoded.size() <= 2) {
    Sequence s = static_cast<unsigned char>(encoded[0]);
    if (encoded.size() == 2) s = static_cast<Sequence>(s << 8 | static_cast<unsigned char>(encoded[1]));
    if (isCandidate(s)) chosen = s;
  }
  for (const auto& choice : kWindowsChoices)
    if (choice.codePage == codePage && choice.character == c && isCandidate(choice.sequence)) chosen = choice.sequence;
  return chosen;
}

// False, having said why, when iconv does not know the code page or a pair
// has a trail byte outside the range the tables hold.
bool BuildTable(unsigned codePage, Table& table) {
  const std::string name = "CP" + std::to_string(codePage);
  Converter decoder("UTF-32LE", name), encoder(name, "UTF-32LE");
  if (!decoder.ok() || !encoder.ok()) {
    std::fprintf(stderr, "make_code_page_tables: this system's iconv does not know %s\n", name.c_str());
    return false;
  }
  table.codePage = codePage;
  SequencesOf sequences;
  table.singles.assign(128, 0);
  for (unsigned b = 0x80; b <= 0xFF; ++b) {
    const char32_t c = DecodeAlone(decoder, BytesOf(static_cast<Sequence>(b)));
    table.singles[b - 0x80] = static_cast<char16_t>(c);
    if (c != 0) sequences[c].push_back(static_cast<Sequence>(b));
  }
  if (IsDoubleByte(codePage) && !ReadPairs(decoder, name, table, sequences)) return false;
  for (const auto& [c, candidates] : sequences) table.byCharacter.push_back(Chosen(encoder, codePage, c, candidates));
  return true;
}

template <typename T>
void WriteArray(std::ostream& out, const char* type, const std::string& name, const std::vector<T>& values) {
  out << "const " << type << ' ' << name << "[] = {";
  for (std::size_t i = 0; i < values.size(); ++i)
    out << (i % 16 == 0 ? "\n    " : " ") << "0x" << std::hex << static_cast<unsigned>(values[i]) << std::dec
        << ',';
  if (values.empty()) out << "0";
  out << "};\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_code_page_tables <output.cpp>\n");
    return 2;
  }
  std::ostringstream out;
  out << "// Generated at build time from this machine's iconv by make_code_page_tables; do not edit.\n"
      << "#include \"platform/posix/code_page_tables.h\"\n\n"
      << "namespace quillfern::platform::tables {\nnamespace {\n";
  std::ostringstream list;
  for (const unsigned codePage : kAnsiCodePages) {
    Table table;
    if (!BuildTable(codePage, table)) return 1;
    const std::string suffix = std::to_string(codePage);
    WriteArray(out, "char16_t", "singles" + suffix, table.singles);
    const bool doubleByte = !table.rowOfLead.empty();
    if (doubleByte) {
      WriteArray(out, "unsigned char", "rowOfLead" + suffix, table.rowOfLead);
      WriteArray(out, "char16_t", "rows" + suffix, table.rows);
    }
    WriteArray(out, "std::uint16_t", "byCharacter" + suffix, table.byCharacter);
    list << "    {" << codePage << ", singles" << suffix << ", "
         << (doubleByte ? "rowOfLead" + suffix + ", rows" + suffix : std::string("nullptr, nullptr"))
         << ", byCharacter" << suffix << ", " << table.byCharacter.size() << "},\n";
  }
  out << "}  // namespace\n\nconst CodePageTable kCodePageTables[] = {\n"
      << list.str() << "};\n"
      << "const std::size_t kCodePageTableCount = " << kAnsiCodePages.size()
      << ";\n\n}  // namespace quillfern::platform::tables\n";

  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << out.str();
  file.close();
  if (!file) {
    std::fprintf(stderr, "make_code_page_tables: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
