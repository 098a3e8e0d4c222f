#pragma once
#include "platform/shell.h"

namespace tarvo {

// Programs are found as CreateProcess finds them: the program folder, the current
// folder, the system folders, then PATH.
class Win32Shell : public Shell {
 public:
  bool Start(const std::string& commandLine, WindowMode mode) override;
  // A program still running at the timeout is left running.
  int RunAndWait(const std::string& commandLine, WindowMode mode, int timeoutMs) override;
};

}  // namespace tarvo
