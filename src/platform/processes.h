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
};

}  // namespace tarvo
