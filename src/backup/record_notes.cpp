#include "backup/record_notes.h"

#include "core/record.h"

namespace tarvo::archive {

std::string CutNote(std::string out) {
  if (out.size() <= kMaxNoteBytes) return out;
  std::size_t cut = kMaxNoteBytes - 3;
  // Back off continuation bytes so that no character is split.
  while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
  return out.substr(0, cut) + "...";
}

std::string BoundedNote(const std::string& note) {
  std::string out;
  for (char c : note) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return CutNote(out);
}

void WriteRecordNotes(FileSystem& files, const std::string& record, const std::vector<std::string>& notes) {
  for (std::size_t i = 0; i < notes.size() && i < kMaxNotes; ++i)
    SaveINI(files, kNoteKeyPrefix + std::to_string(i + 1), BoundedNote(notes[i]), record);
}

std::vector<std::string> ReadRecordNotes(FileSystem& files, const std::string& record) {
  std::vector<std::string> notes;
  for (std::size_t i = 1; i <= kMaxNotes; ++i) {
    const std::string note = GetINI(files, kNoteKeyPrefix + std::to_string(i), record);
    if (note.empty()) break;
    notes.push_back(CutNote(note));
  }
  return notes;
}

}  // namespace tarvo::archive
