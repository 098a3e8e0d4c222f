#pragma once
// A restore cut off by a crash or a kill is finished or undone from its journal before
// anything else touches what it was changing: at the program's start, and before the
// next restore.
#include <memory>

#include "jobs/app.h"
#include "platform/run_lock.h"

namespace tarvo {

inline constexpr int kRestoreLockWaitMs = 5 * 1000;

// The lock that keeps restores of one data folder (and their journal) apart; nullptr when
// another process still holds it after waitMs.
std::unique_ptr<RunLock> LockRestores(App& app, int waitMs);

// Needs the restore lock. Undoes a restore cut off before it was complete, finishes one
// cut off after, and says so in the run log. False when a journal is still there
// afterwards (it could not be read, or not everything could be put back).
bool FinishInterruptedRestore(App& app, const RunLock& held);

// At start-up: the same, unless a restore is running in another process.
void FinishInterruptedRestoreAtStart(App& app);

}  // namespace tarvo
