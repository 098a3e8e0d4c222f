#pragma once
// Pieces shared by the interactive and the automatic backup run.
#include <optional>
#include <string>

#include "core/app_state.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace tarvo {

// Every step of a run is tried on its own: a failing one is skipped and the next runs.
template <class F>
void Step(F&& f) {
  try {
    f();
  } catch (...) {
  }
}

// The six header lines of the information record.
struct RecordHeader {
  std::string computer, user, profile, time, outlookVersion, note;
};

// Starts the record afresh at path and appends the six header lines, the note with each
// CR LF stored as "PS$MVT". Throws RecordError when the file cannot be written.
void WriteRecordHeader(FileSystem& files, const std::string& path, const RecordHeader& header);

// Deletes the record work file and the three registry export files; empties the slots.
void DeleteWorkFiles(FileSystem& files, AppState& state);

// The run log entry that names a file left out because another file of its bare name is
// already in the archive with other content.
std::string SkippedFileLogEntry(const std::string& now, const std::string& path);

// The instructions of an automatic backup, read from the command line text.
struct AutoBackupArgs {
  std::string profile, mask, password, archive;
};

// Splits at every "=" and drops the two-letter name that ends each inner piece. nullopt
// when the text has fewer than five pieces or the profile, mask or archive is empty.
std::optional<AutoBackupArgs> ParseAutoBackupArgs(const std::string& commandLine);

// path without its last four characters + "-MM-DD-YYYY-HH-MM.tvo"; a path shorter than
// four characters is returned as it is.
std::string DatedArchiveName(const std::string& path, const LocalTime& now);

}  // namespace tarvo
