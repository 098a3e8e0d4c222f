#pragma once
// The one event each backup and restore run leaves in the system's event log, for the
// monitoring tools of whoever looks after the PC. The IDs are fixed: administrators alert
// on them, and the message table (src/ui/win32/events.mc) carries the same numbers.
#include <cstdint>
#include <optional>
#include <string>

#include "core/last_run.h"
#include "jobs/app.h"
#include "jobs/auto_backup_outcome.h"
#include "jobs/backup_job.h"
#include "platform/event_log.h"

namespace tarvo {

struct RestoreResult;

enum EventId : std::uint32_t {
  kEventBackupOk = 1000,            // information
  kEventBackupItemsFailed = 1001,   // warning: written, some chosen items missing
  kEventBackupNotWritten = 1002,    // error
  kEventBackupCheckFailed = 1003,   // error: written, failed its check, not kept
  kEventProfileMissing = 1004,      // error: nothing done
  kEventFilesHeld = 1005,           // error: not written, another program held a file
  kEventNoRecentBackup = 1006,      // warning: the start warning's rule
  kEventRestoreOk = 1100,           // information
  kEventRestoreItemsFailed = 1101,  // warning
  kEventRestoreFailed = 1102,       // error: no chosen item restored
};

struct RunEvent {
  EventType type = EventType::Information;
  std::uint32_t id = 0;
  std::string text;
};

// The outcome of a backup run (runName: "Automatic backup", "Backup", ...), from the facts
// the automatic run records. The password is never part of them.
RunEvent BackupEvent(const std::string& runName, const AutoRunFacts& facts);
RunEvent ProfileMissingEvent(const std::string& runName, const std::string& profile, const std::string& archive);
// The facts of a finished backup job.
AutoRunFacts BackupFacts(const BackupRequest& request, const BackupResult& result);

RunEvent RestoreEvent(const std::string& archive, const std::string& profile, const RestoreResult& result);

// The warning for a last automatic run whose last success is older than the start
// warning allows; nullopt while it is recent.
std::optional<RunEvent> NoRecentBackupEvent(const LastRun& run, const LocalTime& now);

// Reports through app.events; nothing when the program has no event log.
void ReportRunEvent(App& app, const RunEvent& event);
// Reports NoRecentBackupEvent for the recorded last automatic run, when it is due.
void ReportNoRecentBackup(App& app);
// At an interactive start: the same event, once with the start warning of a missed week, so
// that a PC whose task is gone is still seen.
void ReportNoRecentBackupAtStart(App& app);

}  // namespace tarvo
