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

// True when recordName can be name as a record written in another code page reads here:
// the ASCII characters kept, each run of other characters stored as as many (single-byte
// code page) or twice as many (double-byte) other characters or "?".
bool NameFitsRecordForm(const std::string& name, const std::string& recordName);

// The entry of that name; failing that, the one entry whose name the record would store as
// recordName on this machine; failing that, the one entry whose name fits recordName as
// written on a machine of another code page. Two candidates are refused: guessing could
// restore the wrong file.
RecordEntryMatch FindRecordEntry(ZipComponent& zip, const std::string& recordName);

}  // namespace tarvo
