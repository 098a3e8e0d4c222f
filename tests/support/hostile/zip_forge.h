#pragma once
// Zip archives written byte by byte, so that every field can be made to lie: sizes, CRCs,
// names that differ between the local header and the central directory, names no writer
// would produce, two entries of one name. Protected entries use the program's own WinZip
// AES (AE-2), so the reader under test sees what a real protected backup holds.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::hostile {

struct ForgedEntry {
  std::string name;  // bytes as stored; UTF-8 (flag bit 11 set when not plain ASCII)
  std::string prefix;        // the data: prefix, then content repeated `repeat` times
  std::string content;
  std::uint64_t repeat = 1;
  bool deflate = true;
  std::string password;  // non-empty: WinZip AES-256

  // Lies, written in place of the honest values.
  std::optional<std::uint32_t> declaredSize;  // uncompressed size, both headers
  std::optional<std::uint32_t> declaredCrc;
  std::optional<std::string> localName;  // the local header's name when it differs
  bool damageData = false;               // one stored byte flipped (after encryption)
};

// The whole archive: local headers with data, central directory, end record.
std::string ForgeZip(const std::vector<ForgedEntry>& entries);

// Where the central directory of a forged archive lies: offset, size, entry count.
struct CentralDirectory {
  std::uint32_t offset = 0, size = 0;
  std::uint16_t count = 0;
};
std::optional<CentralDirectory> FindCentralDirectory(const std::string& archive);

// The archive cut inside its central directory (half of it kept, no end record).
std::string TruncateCentralDirectory(const std::string& archive);
// The end record claiming count entries.
std::string ClaimEntryCount(std::string archive, std::uint16_t count);

}  // namespace tarvo::hostile
