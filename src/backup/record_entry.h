#pragma once
// Finding the archive entry a name in the information record stands for. The record is
// written in the ANSI code page, so a name outside it ("Почта.pst") is stored with "?" in
// place of what the code page cannot hold, while the entry keeps its full name.
#include <optional>
#include <string>

#include "backup/zip_component.h"

namespace tarvo {

// The name as a record written on this machine reads it back.
std::string RecordFormOfName(const std::string& name);

struct RecordEntryMatch {
  std::optional<ZipEntry> entry;
  std::string problem;  // why no entry was chosen among several; empty otherwise
};

// The entry of that name; failing that, the one entry whose name the record would store as
// recordName. Two such entries are refused: guessing could restore the wrong file.
RecordEntryMatch FindRecordEntry(ZipComponent& zip, const std::string& recordName);

}  // namespace tarvo
