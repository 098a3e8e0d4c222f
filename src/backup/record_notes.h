#pragma once
// The notes of an information record: what the backup does not protect, in plain words,
// as lines "BackupNote1=...", "BackupNote2=..." before "BackupItem". Readers that do not
// know these keys pass over them, and a record without them has no notes.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarvo::archive {

inline constexpr const char* kNoteKeyPrefix = "BackupNote";
// Notes carry file names: a record holds only so many, each only so long.
inline constexpr std::size_t kMaxNotes = 24;
inline constexpr std::size_t kMaxNoteBytes = 600;

// The note cut to kMaxNoteBytes on a character boundary, "..." marking the cut.
std::string CutNote(std::string note);
// The note as a record line may hold it: control characters (a line break would end the
// line or the record) become "?", and the text is cut to kMaxNoteBytes on a character
// boundary.
std::string BoundedNote(const std::string& note);

// Appends the first kMaxNotes notes, bounded. Throws RecordError when the record cannot
// be written.
void WriteRecordNotes(FileSystem& files, const std::string& record, const std::vector<std::string>& notes);
// "BackupNote1" onwards up to the first missing one, each cut. Whatever else they hold
// is left to the printing side's escaping. Throws RecordError when the record cannot be
// read.
std::vector<std::string> ReadRecordNotes(FileSystem& files, const std::string& record);

}  // namespace tarvo::archive
