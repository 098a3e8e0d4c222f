#include "backup/record_entry.h"

#include <vector>

#include "platform/codepage.h"
#include "platform/host_file_system.h"

namespace tarvo {

std::string RecordFormOfName(const std::string& name) { return AnsiToUtf8(Utf8ToAnsi(name)); }

RecordEntryMatch FindRecordEntry(ZipComponent& zip, const std::string& recordName) {
  RecordEntryMatch match;
  match.entry = zip.GetEntry(recordName);
  if (match.entry) return match;
  const std::string wanted = recordName.substr(0, recordName.find('\0'));
  std::vector<ZipEntry> found;
  for (ZipEntry& entry : zip.Entries()) {
    if (RecordFormOfName(entry.name) != entry.name && SameNameNoCase(RecordFormOfName(entry.name), wanted))
      found.push_back(std::move(entry));
  }
  if (found.size() == 1) {
    match.entry = std::move(found.front());
  } else if (found.size() > 1) {
    match.problem = "The backup file holds " + std::to_string(found.size()) + " files whose names the record lists as " +
                    wanted + " (";
    for (std::size_t i = 0; i < found.size(); ++i) match.problem += (i ? ", " : "") + found[i].name;
    match.problem += "); none of them was restored, since the record cannot tell which one it means.";
  }
  return match;
}

}  // namespace tarvo
