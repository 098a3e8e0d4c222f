#pragma once
#include <string>

namespace tarvo {

enum class WindowMode { Hidden, Normal, Minimized };

class Shell {
 public:
  virtual ~Shell() = default;
  // Starts a command line without waiting. False when it could not be started.
  virtual bool Start(const std::string& commandLine, WindowMode mode) = 0;
  // Starts and waits up to timeoutMs; returns the exit code, or -1 when it could not be
  // started or did not finish in time.
  virtual int RunAndWait(const std::string& commandLine, WindowMode mode, int timeoutMs) = 0;
};

}  // namespace tarvo
