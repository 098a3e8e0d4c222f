#pragma once
// Processes double: a list of running processes; Terminate records and removes.
#include <algorithm>
#include <vector>

#include "platform/processes.h"

namespace tarvo {

class FakeProcesses : public Processes {
 public:
  std::vector<ProcessEntry> entries;
  std::vector<std::uint32_t> terminated;
  bool terminateFails = false;

  std::vector<ProcessEntry> Snapshot() override { return entries; }
  bool Terminate(std::uint32_t pid, std::uint32_t /*exitCode*/) override {
    terminated.push_back(pid);
    if (terminateFails) return false;
    const auto before = entries.size();
    entries.erase(std::remove_if(entries.begin(), entries.end(), [pid](const ProcessEntry& e) { return e.pid == pid; }),
                  entries.end());
    return entries.size() != before;
  }
};

}  // namespace tarvo
