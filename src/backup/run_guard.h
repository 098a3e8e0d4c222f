#pragma once
// What keeps two runs apart: each run writes its information record into a work file of
// its own, and runs that write the same archive take a machine-wide lock in turn.
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/run_lock.h"

namespace tarvo {

// How long a run waits for another run writing the same archive: the window only briefly
// (its user can try again), an unattended run long enough for a large backup to finish.
inline constexpr int kWindowRunLockWaitMs = 5 * 1000;
inline constexpr int kAutoRunLockWaitMs = 30 * 60 * 1000;

// A new empty record work file in the data folder ("OBI" + hex + ".TMP"), named for this
// run alone; its archive entry is still "mailvault.dat".
std::string NewRecordWorkFile(FileSystem& files, const std::string& dataFolder);

// The lock of runs writing archive, named by the file the path resolves to.
std::unique_ptr<RunLock> LockArchive(FileSystem& files, const std::string& archive, int waitMs);

// What runs killed while writing archive left behind: its work files beside it and the
// record and export work files in the data folder that no live run holds.
void RemoveLeftoversOfKilledRuns(FileSystem& files, const std::string& archive, const std::string& dataFolder);

// The log entry and message of a run that gave up waiting for another run onto archive.
std::string BusyArchiveLogEntry(const std::string& now, const std::string& runName, const std::string& archive,
                                int waitMs);
std::string BusyArchiveMessage(const std::string& archive);

}  // namespace tarvo
