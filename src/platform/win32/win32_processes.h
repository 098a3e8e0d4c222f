#pragma once
#include "platform/processes.h"

namespace tarvo {

class Win32Processes : public Processes {
 public:
  std::vector<ProcessEntry> Snapshot() override;
  bool Terminate(std::uint32_t pid, std::uint32_t exitCode) override;
};

}  // namespace tarvo
