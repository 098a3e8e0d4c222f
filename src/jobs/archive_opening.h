#pragma once
// Opening an archive for restoring: the password check, the information record and the
// item lists, kept in app.state for the restore run.
#include <functional>
#include <string>
#include <vector>

#include "jobs/app.h"

namespace tarvo {

inline constexpr const char* kWrongPasswordMessage = "Incorect Password or Invalid backup file!";
inline constexpr const char* kInvalidRecordMessage = "Invalid backup file";

enum class OpenOutcome {
  Opened,
  WrongPassword,  // SourceArchive is left as it was
  InvalidRecord,  // SourceArchive names the archive, NoArchiveLoaded stays true
};

struct ArchiveDetails {
  std::string origin;  // "Computer:...\r\nUser:..." as the restore tab shows it
  std::string note;    // the backup's note, CR LF restored
  std::vector<std::string> notes;  // what the backup does not protect; none in older archives
};

// askPassword runs for a protected archive and leaves its answer in state.RestorePassword
// (a cancelled prompt leaves the earlier answer).
OpenOutcome OpenArchiveFile(App& app, const std::string& path, const std::function<void()>& askPassword,
                            ArchiveDetails& details);

}  // namespace tarvo
