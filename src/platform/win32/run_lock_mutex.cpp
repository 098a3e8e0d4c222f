// The run lock as a named mutex in the global namespace, so that a scheduled task running
// in another session is seen too. A mutex left by a killed holder is taken over.
#include <windows.h>

#include "platform/run_lock.h"
#include "platform/win32/wide.h"

namespace tarvo {
namespace {

class MutexRunLock : public RunLock {
 public:
  explicit MutexRunLock(HANDLE mutex) : mutex_(mutex) {}
  ~MutexRunLock() override {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  MutexRunLock(const MutexRunLock&) = delete;
  MutexRunLock& operator=(const MutexRunLock&) = delete;

 private:
  HANDLE mutex_;
};

HANDLE OpenNamedMutex(const std::string& key) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, ToWide("Global\\Tarvo Outlook Backup run " + key).c_str());
  // Without the right to make global objects, the session's own namespace still serializes
  // the runs of this user.
  if (!mutex) mutex = CreateMutexW(nullptr, FALSE, ToWide("Local\\Tarvo Outlook Backup run " + key).c_str());
  return mutex;
}

}  // namespace

std::unique_ptr<RunLock> AcquireRunLock(const std::string& name, int waitMs) {
  HANDLE mutex = OpenNamedMutex(RunLockKey(name));
  if (!mutex) return nullptr;
  const DWORD wait = WaitForSingleObject(mutex, waitMs < 0 ? 0 : static_cast<DWORD>(waitMs));
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return std::make_unique<MutexRunLock>(mutex);
  CloseHandle(mutex);
  return nullptr;
}

}  // namespace tarvo
