#pragma once
#include "platform/processes.h"

namespace tarvo {

class Win32Processes : public Processes {
 public:
  std::vector<ProcessEntry> Snapshot() override;
  bool Terminate(std::uint32_t pid, std::uint32_t exitCode) override;
  bool IsOwn(std::uint32_t pid) override;
  std::string CommandLine(std::uint32_t pid) override;
  bool AskToClose(std::uint32_t pid) override;
  bool Running(std::uint32_t pid) override;
};

}  // namespace tarvo
