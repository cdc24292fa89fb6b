// What a Windows executable's headers say about it: the machine it was
// built for, whether it is a DLL, whether it carries a signature, and the
// names it exports. Pure and portable: the bytes come through a reader the
// caller supplies (a file's byte ranges, or a buffer), and every offset
// read from the file is checked against what the reader gives back, so a
// truncated or hostile file is refused with a reason, never read past or
// trusted for a size.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quillfern::check {

// The machine types a Windows DLL of ours can be built for.
inline constexpr std::uint16_t kMachineX86 = 0x014C, kMachineX64 = 0x8664, kMachineArm64 = 0xAA64;

// "x86", "x64", "ARM64", or the number in hexadecimal ("0x01C4").
std::string MachineName(std::uint16_t machine);
// The registry view a process of that machine reads on 64-bit Windows:
// true for the 32-bit one (x86), false for every 64-bit machine.
bool ReadsThe32BitView(std::uint16_t machine);

// Up to Size bytes from Offset on: fewer when the file ends sooner, none
// at or past its end; nothing when the bytes could not be read at all.
using ByteReader = std::function<std::optional<std::string>(std::uint64_t offset, std::size_t size)>;
// A reader over bytes held in memory (which must outlive it).
ByteReader ReaderOver(const std::string& bytes);

// Why a file is not a PE image this check can read.
enum class PeProblem {
  ReadFailed,          // the reader could not give the bytes
  NoMzHeader,          // shorter than a DOS header, or not starting with "MZ"
  HeaderOutsideFile,   // the offset at 0x3C points past the end of the file
  NoPeSignature,       // no "PE\0\0" where that offset points
  TruncatedHeaders,    // the file header, optional header or section table is cut short
  UnknownOptionalHeader,  // neither PE32 nor PE32+
  TooManySections,     // more sections than Windows loads (96)
};

// Why the export names could not be read (the rest of the image still was).
enum class ExportProblem {
  ReadFailed,
  DirectoryOutsideSections,  // the export directory's address lies in no section's data
  TruncatedDirectory,
  TooManyNames,              // more names than the file could hold, or than the check reads
  UnreadableName,            // a name's address lies in no section's data, or the name has no end there
};

struct PeImage {
  std::uint16_t machine = 0;
  bool isDll = false;      // IMAGE_FILE_DLL in the file header's characteristics
  bool pe32Plus = false;   // the optional header is PE32+ (a 64-bit image)
  bool hasCertificates = false;  // the certificate table (Authenticode signatures) is present
  // The exported names in the file's order; empty for an image with no
  // export directory, and when ExportsProblem says why they are unknown.
  std::vector<std::string> exports;
  std::optional<ExportProblem> exportsProblem;
};

std::variant<PeImage, PeProblem> ReadPeImage(const ByteReader& read);

}  // namespace quillfern::check
