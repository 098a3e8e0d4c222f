// The run lock as an flock on a file in the system's temporary folder. The file stays: a
// lock file removed while someone waits on it would let two holders in.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/run_lock.h"

namespace tarvo {
namespace {

class FlockRunLock : public RunLock {
 public:
  explicit FlockRunLock(int fd) : fd_(fd) {}
  ~FlockRunLock() override {
    flock(fd_, LOCK_UN);
    close(fd_);
  }
  FlockRunLock(const FlockRunLock&) = delete;
  FlockRunLock& operator=(const FlockRunLock&) = delete;

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<RunLock> AcquireRunLock(const std::string& name, int waitMs) {
  std::error_code ec;
  const auto folder = std::filesystem::temp_directory_path(ec);
  if (ec) return nullptr;
  const auto path = folder / ("tarvo-run-" + RunLockKey(name) + ".lock");
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<FlockRunLock>(fd);
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  close(fd);
  return nullptr;
}

}  // namespace tarvo
