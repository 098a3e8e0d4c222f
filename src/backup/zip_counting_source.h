#pragma once
// A libzip source over one file that opens the file only when the archive is written,
// counts the bytes taken from it (progress follows the bytes of all entries, and a file that
// cannot be read is named in the error) and hands libzip its deflated, and when protected
// encrypted, data.
#include <cstdint>
#include <string>

#include <zip.h>

#include "backup/zip_component.h"

namespace tarvo {

struct WriteTally {
  std::uint64_t total = 0;  // bytes of all files to write
  std::uint64_t done = 0;
  int lastPercent = -1;
  ZipEvents* events = nullptr;
  std::string failedFile;    // the first file that could not be read
  std::string failedReason;

  void Advance(std::uint64_t bytes);
  void Finish();  // reports 100 when not yet reported
};

// nativePath is opened; shownPath is what the error names; level is zlib's for text. A
// non-empty password makes the source give WinZip AES-256 data (the entry must be marked so).
zip_source_t* NewCountingFileSource(zip_t* archive, const std::string& nativePath, const std::string& shownPath,
                                    int level, const std::string& password, WriteTally& tally);

}  // namespace tarvo
