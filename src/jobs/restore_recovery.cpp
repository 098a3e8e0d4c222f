#include "jobs/restore_recovery.h"

#include "core/record.h"
#include "restore/restore_journal.h"

namespace tarvo {
namespace {

// A journal holds copies of a few registry branches; anything near this is not one.
constexpr std::uint64_t kMaxJournalBytes = 256u * 1024 * 1024;

void Log(App& app, const std::string& text) {
  SystemInfo& sys = app.platform.system;
  AppendLogLine(app.platform.files, app.state.LogFile, sys.GeneralDate(sys.Now()) + " " + text);
}

}  // namespace

std::unique_ptr<RunLock> LockRestores(App& app, int waitMs) {
  const std::string native = app.platform.files.NativePath(app.state.DataFolder);
  return AcquireRunLock("restores in " + (native.empty() ? app.state.DataFolder : native), waitMs);
}

bool FinishInterruptedRestore(App& app, const RunLock& /*held*/) {
  FileSystem& files = app.platform.files;
  const std::string path = JoinPath(app.state.DataFolder, kJournalName);
  RemoveJournalWorkFiles(files, app.state.DataFolder);
  if (!files.FileExists(path)) return true;
  const auto size = files.FileSize(path);
  const auto text = size && *size <= kMaxJournalBytes ? files.ReadAll(path) : std::nullopt;
  auto journal = text ? DecodeJournal(*text) : std::nullopt;
  if (!journal) {
    Log(app, "The journal " + path + " of an interrupted restore cannot be read; it was left as it is.");
    return false;
  }
  if (journal->phase == JournalPhase::Done) {
    FinishRestore(files, *journal);
    files.DeleteFile(path);
    Log(app, "An interrupted restore had been completed; the files it replaced were removed.");
    return true;
  }
  const auto problems = UndoRestore(files, app.reg, *journal);
  for (const auto& problem : problems) Log(app, problem);
  if (!problems.empty()) {
    Log(app, "An interrupted restore could not be undone completely; the next start tries again.");
    return false;
  }
  files.DeleteFile(path);
  Log(app, journal->phase == JournalPhase::Commit
               ? "An interrupted restore was undone: everything it had changed was put back."
               : "An interrupted restore had changed nothing; its work files were removed.");
  return true;
}

void FinishInterruptedRestoreAtStart(App& app) {
  if (const auto lock = LockRestores(app, 0)) FinishInterruptedRestore(app, *lock);
}

}  // namespace tarvo
