#include "backup/backup_steps.h"

#include <cctype>
#include <vector>

#include "core/record.h"
#include "backup/archive_record.h"

namespace tarvo {
void WriteRecordHeader(FileSystem& files, const std::string& path, const RecordHeader& header) {
  // Emptied, not deleted: the work file's name is this run's own only while it exists.
  if (files.FileExists(path)) files.WriteAll(path, "");
  SaveINI(files, "BackupComputer", header.computer, path);
  SaveINI(files, "BackupLogonUser", header.user, path);
  SaveINI(files, "BackupIdentity", header.profile, path);
  SaveINI(files, "BackupTime", header.time, path);
  SaveINI(files, "Outlookversion", header.outlookVersion, path);
  SaveINI(files, "BackupInformation", archive::EncodeNote(header.note), path);
}

void DeleteWorkFiles(FileSystem& files, AppState& state) {
  if (files.FileExists(state.InfoRecordPath)) files.DeleteFile(state.InfoRecordPath);
  for (std::string& slot : state.exportFiles) {
    if (!slot.empty() && files.FileExists(slot)) files.DeleteFile(slot);
    slot.clear();
  }
}

std::string SkippedFileLogEntry(const std::string& now, const std::string& path) {
  return now + " Skipped " + path + ": another file named " + BareName(path) +
         " is already in the backup file" + "\n";
}

std::optional<AutoBackupArgs> ParseAutoBackupArgs(const std::string& commandLine) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t eq = commandLine.find('=', start);
    pieces.push_back(commandLine.substr(start, eq == std::string::npos ? std::string::npos : eq - start));
    if (eq == std::string::npos) break;
    start = eq + 1;
  }
  if (pieces.size() < 5) return std::nullopt;
  // Each inner piece ends with the next field's name; a piece too short for one is kept.
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
    if (pieces[i].size() >= 2) pieces[i].resize(pieces[i].size() - 2);
  }
  AutoBackupArgs args{pieces[1], pieces[2], pieces[3], pieces[4]};
  if (args.profile.empty() || args.mask.empty() || args.archive.empty()) return std::nullopt;
  return args;
}

std::string DatedArchiveName(const std::string& path, const LocalTime& now) {
  if (path.size() < 4) return path;  // nothing to cut: the plain name stays
  return path.substr(0, path.size() - 4) + "-" + DateTimeMMDDYYYYHHMM(now) + ".tvo";
}

}  // namespace tarvo
