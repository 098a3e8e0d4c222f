#pragma once
// What a running job tells its caller: the window shows it, `tvo` and the automatic
// backup keep only the log.
#include <string>

namespace tarvo {

class JobSink {
 public:
  virtual ~JobSink() = default;
  // What the run is doing now ("Copying Signatures...").
  virtual void Status(const std::string& text) = 0;
  // The run panel's file line ("Checking Backup File ...").
  virtual void Detail(const std::string& text) = 0;
  // Where the run is, 0..100.
  virtual void Progress(int percent) = 0;
  // Lets the window repaint between steps.
  virtual void Pump() = 0;
  // True once the user asked to stop waiting (for Outlook to close).
  virtual bool StopRequested() { return false; }
  // One run log entry, with its own line end.
  virtual void Log(const std::string& entry) = 0;
};

}  // namespace tarvo
