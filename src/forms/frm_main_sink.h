#pragma once
// Shows a running job in the main window's run panel.
#include "forms/frm_main.h"
#include "jobs/run_log.h"

namespace tarvo {

class FrmMainSink : public RunLogSink {
 public:
  explicit FrmMainSink(FrmMain& form) : RunLogSink(form.app), form_(form) {}
  void Status(const std::string& text) override { form_.Label1.caption = text; }
  void Detail(const std::string& text) override { form_.SkinLabel9.caption = text; }
  void Progress(int percent) override { form_.pbshow.Set(percent); }
  void Pump() override { app_.platform.ui.PumpMessages(); }

 private:
  FrmMain& form_;
};

}  // namespace tarvo
