#pragma once
// frmabout: the product title and version, and where the preferences and the log are kept.
#include "app/app_state.h"
#include "app/controls.h"

namespace tarvo {

class FrmAbout : public Form {
 public:
  explicit FrmAbout(const AppState& state);
  const char* Name() const override { return "frmabout"; }

  Label lblTitle;     // the main window's caption
  Label lblSettings;  // "Settings: " + settings.dat path
  Label lblLog;       // "Log: " + brlog.dat path
  Button cmdOK;

  void Form_Load();
  void cmdOK_Click();

 private:
  const AppState& state_;
};

}  // namespace tarvo
