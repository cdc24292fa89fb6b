// The identifier and unit-file-name checks, against models written from the
// rules directly; and a folder's normal form, which must read back as itself.
#include <cstdint>
#include <string>

#include "command/input_checks.h"
#include "fuzz/fuzz_input.h"
#include "platform/paths.h"

namespace {

const std::string kFirst = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
const std::string kRest = kFirst + "0123456789";

// Delphi's reserved words, which can name neither a library nor a unit.
const std::string kReserved =
    " and array as asm begin case class const constructor destructor dispinterface div do downto else"
    " end except exports file finalization finally for function goto if implementation in inherited"
    " initialization inline interface is label library mod nil not object of or out packed procedure"
    " program property raise record repeat resourcestring set shl shr string then threadvar to try type"
    " unit until uses var while with xor ";

bool IsReserved(const std::string& name) {
  std::string lower = " ";
  for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
  return kReserved.find(lower + " ") != std::string::npos;
}

bool ModelIdentifier(const std::string& name) {
  return !name.empty() && kFirst.find(name[0]) != std::string::npos &&
         name.find_first_not_of(kRest) == std::string::npos && !IsReserved(name);
}

// "<identifier>.pas" with the extension in any letter case. The rule's
// other clauses (at least five characters, the first ".PAS" at the end)
// follow: an identifier holds no dot and is never empty.
bool ModelUnitFileName(const std::string& name) {
  if (name.size() < 4) return false;
  const std::string ext = name.substr(name.size() - 4);
  const bool pas = ext[0] == '.' && (ext[1] == 'p' || ext[1] == 'P') && (ext[2] == 'a' || ext[2] == 'A') &&
                   (ext[3] == 's' || ext[3] == 'S');
  return pas && ModelIdentifier(name.substr(0, name.size() - 4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillfern;
  const std::string name(reinterpret_cast<const char*>(data), size);

  if (command::IsValidIdentifier(name) != ModelIdentifier(name))
    fuzz::Fail("IsValidIdentifier differs from the model", name);
  if (command::IsValidUnitFileName(name) != ModelUnitFileName(name))
    fuzz::Fail("IsValidUnitFileName differs from the model", name);

  // The one form of a folder every step takes reads back as the same
  // folder, by either system's rules, wherever its names are ones the
  // system takes.
  for (const platform::PathStyle style : {platform::PathStyle::Windows, platform::PathStyle::Posix}) {
    const platform::PathParts parts = platform::SplitPath(name, style);
    const std::string joined = platform::JoinPath(parts, style);
    if (joined.empty() || platform::FirstBadName(parts, style)) continue;
    if (!(platform::SplitPath(joined, style) == parts)) fuzz::Fail("a folder's normal form reads back otherwise", name);
  }
  return 0;
}
