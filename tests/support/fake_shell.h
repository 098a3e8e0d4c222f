#pragma once
// Shell double: records every command line and window mode.
#include <string>
#include <vector>

#include "platform/shell.h"

namespace tarvo {

struct ShellCall {
  std::string commandLine;
  WindowMode mode = WindowMode::Normal;
  bool waited = false;
  int timeoutMs = 0;
};

class FakeShell : public Shell {
 public:
  std::vector<ShellCall> calls;
  bool startSucceeds = true;
  int exitCode = 0;  // what RunAndWait answers

  bool Start(const std::string& commandLine, WindowMode mode) override {
    calls.push_back({commandLine, mode, false, 0});
    return startSucceeds;
  }
  int RunAndWait(const std::string& commandLine, WindowMode mode, int timeoutMs) override {
    calls.push_back({commandLine, mode, true, timeoutMs});
    return startSucceeds ? exitCode : -1;
  }

  std::vector<std::string> commandLines() const {
    std::vector<std::string> out;
    for (const auto& c : calls) out.push_back(c.commandLine);
    return out;
  }
};

}  // namespace tarvo
