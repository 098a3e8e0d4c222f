// The run lock as an flock on a file in the system's temporary folder. The holder removes
// the file as it lets go, so that runs leave nothing behind; a waiter that then gets the
// lock on the removed file sees that the name now leads elsewhere and tries again. A link
// put there by someone else is never followed: the shared folder is open to every user.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/run_lock.h"

namespace tarvo {
namespace {

class FlockRunLock : public RunLock {
 public:
  FlockRunLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~FlockRunLock() override {
    // Removed while still held: no one can take the old file and think it current.
    unlink(path_.c_str());
    flock(fd_, LOCK_UN);
    close(fd_);
  }
  FlockRunLock(const FlockRunLock&) = delete;
  FlockRunLock& operator=(const FlockRunLock&) = delete;

 private:
  int fd_;
  std::string path_;
};

// Whether the open file is still the one the path names.
bool StillNamed(int fd, const std::string& path) {
  struct stat open{}, named{};
  return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace

std::unique_ptr<RunLock> AcquireRunLock(const std::string& name, int waitMs) {
  std::error_code ec;
  const auto folder = std::filesystem::temp_directory_path(ec);
  if (ec) return nullptr;
  const std::string path = (folder / ("tarvo-run-" + RunLockKey(name) + ".lock")).string();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  int fd = -1;
  for (;;) {
    if (fd < 0) fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      if (StillNamed(fd, path)) return std::make_unique<FlockRunLock>(fd, path);
      // Taken from a holder that removed it: the lock now lives on a new file.
      close(fd);
      fd = -1;
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  close(fd);
  return nullptr;
}

}  // namespace tarvo
