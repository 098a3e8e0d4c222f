#pragma once
// A sink that keeps only the run log: for `tvo`, the automatic backup and the tests.
#include <string>

#include "core/record.h"
#include "jobs/app.h"
#include "jobs/job_sink.h"

namespace tarvo {

class RunLogSink : public JobSink {
 public:
  explicit RunLogSink(App& app) : app_(app) {}
  void Status(const std::string&) override {}
  void Detail(const std::string&) override {}
  void Progress(int) override {}
  void Pump() override {}
  void Log(const std::string& entry) override { AppendLogLine(app_.platform.files, app_.state.LogFile, entry); }

 protected:
  App& app_;
};

}  // namespace tarvo
