// The information record reader: every key the archive opening and the restorers read.
#include "core/record.h"
#include "backup/archive_record.h"
#include "backup/record_notes.h"
#include "core/item_table.h"
#include "fuzz_support.h"

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return -1;
  const std::string file = fuzz::InputFile(data, size);
  auto& files = fuzz::Drive();
  for (const char* key : archive::kHeaderKeys) archive::DecodeNote(GetINI(files, key, file));
  const std::string flags = GetINI(files, archive::kItemFlagsKey, file);
  for (int position = 0; position <= 12; ++position) archive::ItemPresent(flags, position);
  for (const ItemRow& row : kItems) {
    for (const std::string& name : archive::SplitEntryList(GetINI(files, row.readKey, file))) {
      if (name.empty() || name.find(';') != std::string::npos) std::abort();  // split means split
    }
  }
  const auto notes = archive::ReadRecordNotes(files, file);
  if (notes.size() > archive::kMaxNotes) std::abort();
  for (const std::string& note : notes)
    if (note.size() > archive::kMaxNoteBytes) std::abort();  // bounded whatever the record holds
  return 0;
}
