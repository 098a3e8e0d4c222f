#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

struct ProcessEntry {
  std::uint32_t pid = 0;
  std::string exeName;  // as the snapshot reports it
};

class Processes {
 public:
  virtual ~Processes() = default;
  virtual std::vector<ProcessEntry> Snapshot() = 0;
  virtual bool Terminate(std::uint32_t pid, std::uint32_t exitCode) = 0;
  // True when the process runs as this user in this session: another user's programs are
  // never asked to close or ended.
  virtual bool IsOwn(std::uint32_t pid) = 0;
  // The command line it was started with; empty when the system cannot say.
  virtual std::string CommandLine(std::uint32_t pid) = 0;
  // Asks it to close as a user would (WM_CLOSE to its top-level windows); false when it
  // has no window to ask.
  virtual bool AskToClose(std::uint32_t pid) = 0;
  virtual bool Running(std::uint32_t pid) = 0;
};

}  // namespace tarvo
