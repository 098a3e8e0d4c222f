#pragma once
// Processes double: a list of running processes. Terminate records and removes; a process
// asked to close ends after closesAfterLooks looks at it (never when negative).
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace tarvo {

class FakeProcesses : public Processes {
 public:
  struct Behaviour {
    bool own = true;
    bool hasWindow = true;
    int closesAfterLooks = 0;  // looks (Running calls) after the ask; negative: never
    std::string commandLine;
  };
  std::vector<ProcessEntry> entries;
  std::map<std::uint32_t, Behaviour> behaviour;  // a pid not listed: own, windowed, closes at once
  std::vector<std::uint32_t> terminated, asked;
  bool terminateFails = false;

  std::vector<ProcessEntry> Snapshot() override { return entries; }
  bool Terminate(std::uint32_t pid, std::uint32_t /*exitCode*/) override {
    terminated.push_back(pid);
    return !terminateFails && Remove(pid);
  }
  bool IsOwn(std::uint32_t pid) override { return behaviour[pid].own; }
  std::string CommandLine(std::uint32_t pid) override { return behaviour[pid].commandLine; }
  bool AskToClose(std::uint32_t pid) override {
    if (!behaviour[pid].hasWindow) return false;
    asked.push_back(pid);
    return true;
  }
  bool Running(std::uint32_t pid) override {
    const bool listed = std::any_of(entries.begin(), entries.end(), [pid](const auto& e) { return e.pid == pid; });
    if (!listed) return false;
    Behaviour& b = behaviour[pid];
    const bool wasAsked = std::find(asked.begin(), asked.end(), pid) != asked.end();
    if (!wasAsked || b.closesAfterLooks < 0) return true;
    if (b.closesAfterLooks-- > 0) return true;
    Remove(pid);
    return false;
  }

 private:
  bool Remove(std::uint32_t pid) {
    const auto before = entries.size();
    entries.erase(std::remove_if(entries.begin(), entries.end(), [pid](const ProcessEntry& e) { return e.pid == pid; }),
                  entries.end());
    return entries.size() != before;
  }
};

}  // namespace tarvo
