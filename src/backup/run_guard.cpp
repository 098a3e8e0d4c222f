#include "backup/run_guard.h"

#include "backup/work_files.h"

namespace tarvo {
namespace {

std::string WaitText(int waitMs) {
  const int seconds = waitMs / 1000;
  if (seconds >= 120) return std::to_string(seconds / 60) + " minutes";
  return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

std::string NewRecordWorkFile(FileSystem& files, const std::string& dataFolder) {
  return NewRunWorkFile(files, dataFolder, "OBI");
}

std::unique_ptr<RunLock> LockArchive(FileSystem& files, const std::string& archive, int waitMs) {
  // The host path where there is one: the same archive reached by two spellings is one lock.
  const std::string native = files.NativePath(archive);
  return AcquireRunLock(native.empty() ? archive : native, waitMs);
}

void RemoveLeftoversOfKilledRuns(FileSystem& files, const std::string& archive, const std::string& dataFolder) {
  RemoveArchiveLeftovers(files, archive);
  RemoveStaleRunWorkFiles(files, dataFolder);
}

std::string BusyArchiveLogEntry(const std::string& now, const std::string& runName, const std::string& archive,
                                int waitMs) {
  return now + " " + runName + " File " + archive + " was not written: another backup onto the same file was " +
         "still running after " + WaitText(waitMs) + ". The previous backup file was left as it was." + "\n";
}

std::string BusyArchiveMessage(const std::string& archive) {
  return "Another backup is being written to this file:\r\n" + archive +
         "\r\n\r\nPlease try again when it has finished.";
}

}  // namespace tarvo
