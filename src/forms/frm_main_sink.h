#pragma once
// Shows a running job in the main window's run panel.
#include "forms/frm_main.h"
#include "jobs/run_log.h"

namespace tarvo {

class FrmMainSink : public RunLogSink {
 public:
  explicit FrmMainSink(FrmMain& form) : RunLogSink(form.app), form_(form) {}
  ~FrmMainSink() override { EndWait(); }
  void Status(const std::string& text) override {
    EndWait();
    form_.Label1.caption = text;
  }
  void Detail(const std::string& text) override { form_.SkinLabel9.caption = text; }
  void Progress(int percent) override { form_.pbshow.Set(percent); }
  void Pump() override { app_.platform.ui.PumpMessages(); }
  // Asked only while the run waits for Outlook; the action button offers to stop the wait
  // until the run reports its next step.
  bool StopRequested() override {
    if (!form_.waitingForOutlook) {
      form_.waitingForOutlook = true;
      form_.stopWaiting = false;
      caption_ = form_.cmdApply.caption;
      form_.cmdApply.caption = "Stop Waiting";
    }
    return form_.stopWaiting;
  }

 private:
  void EndWait() {
    if (!form_.waitingForOutlook) return;
    form_.waitingForOutlook = false;
    form_.cmdApply.caption = caption_;
  }
  FrmMain& form_;
  std::string caption_;
};

}  // namespace tarvo
