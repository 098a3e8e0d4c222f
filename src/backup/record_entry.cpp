#include "backup/record_entry.h"

#include <vector>

#include "platform/codepage.h"
#include "platform/host_file_system.h"
#include "platform/unicode_text.h"

namespace tarvo {

std::string RecordFormOfName(const std::string& name) { return AnsiToUtf8(Utf8ToAnsi(name)); }

bool NameFitsRecordForm(const std::string& name, const std::string& recordName) {
  const std::u32string entry = DecodeUtf8(name), record = DecodeUtf8(recordName);
  auto upper = [](char32_t c) { return c >= U'a' && c <= U'z' ? c - 32 : c; };
  bool anyOther = false;
  std::size_t j = 0;
  for (std::size_t i = 0; i < entry.size();) {
    if (entry[i] < 0x80) {
      if (j >= record.size() || upper(record[j]) != upper(entry[i])) return false;
      ++i, ++j;
      continue;
    }
    const std::size_t from = i;
    while (i < entry.size() && entry[i] >= 0x80) ++i;
    const std::size_t runStart = j;
    while (j < record.size() && (record[j] >= 0x80 || record[j] == U'?')) ++j;
    // One byte per character in a single-byte code page, two in a double-byte one.
    const std::size_t chars = i - from, bytes = j - runStart;
    if (bytes != chars && bytes != 2 * chars) return false;
    anyOther = true;
  }
  return anyOther && j == record.size();
}

namespace {

std::vector<ZipEntry> Candidates(ZipComponent& zip, const std::string& wanted, bool otherCodePage) {
  std::vector<ZipEntry> found;
  for (ZipEntry& entry : zip.Entries()) {
    const bool fits = otherCodePage ? NameFitsRecordForm(entry.name, wanted)
                                    : RecordFormOfName(entry.name) != entry.name &&
                                          SameNameNoCase(RecordFormOfName(entry.name), wanted);
    if (fits) found.push_back(std::move(entry));
  }
  return found;
}

}  // namespace

RecordEntryMatch FindRecordEntry(ZipComponent& zip, const std::string& recordName) {
  RecordEntryMatch match;
  match.entry = zip.GetEntry(recordName);
  if (match.entry) return match;
  const std::string wanted = recordName.substr(0, recordName.find('\0'));
  std::vector<ZipEntry> found = Candidates(zip, wanted, false);
  if (found.empty()) found = Candidates(zip, wanted, true);
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
