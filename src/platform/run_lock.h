#pragma once
// A lock shared by every process of the machine, named by a text: two runs that write the
// same archive take it in turn. Named mutex on Windows, flock on a lock file elsewhere.
#include <memory>
#include <string>

namespace tarvo {

// Held until destroyed. A holder that dies releases it (the next one takes it over).
class RunLock {
 public:
  virtual ~RunLock() = default;
};

// Takes the lock named by name, waiting up to waitMs milliseconds while another process
// holds it; nullptr when it is still held then or cannot be made. Names compare without
// regard to ASCII case, as the Windows paths they are made of.
std::unique_ptr<RunLock> AcquireRunLock(const std::string& name, int waitMs);

// The fixed-length key a lock name turns into: 16 hex digits, equal for names that differ
// only in ASCII case.
std::string RunLockKey(const std::string& name);

}  // namespace tarvo
