#pragma once
// frmabout: the product title and version, the program and data folders, and where the
// preferences and the log are kept.
#include "core/app_state.h"
#include "forms/controls.h"

namespace tarvo {

class FrmAbout : public Form {
 public:
  explicit FrmAbout(const AppState& state);
  const char* Name() const override { return "frmabout"; }

  Label lblTitle;     // the main window's caption
  Label lblVersion;   // "Version " + the full version number
  Label lblProgram;   // "Program folder: " + the executable's folder
  Label lblData;      // "Data folder: " + where settings, log and work files live
  Label lblSettings;  // "Settings: " + settings.dat path
  Label lblLog;       // "Log: " + brlog.dat path
  Button cmdOK;

  void Form_Load();
  void cmdOK_Click();

 private:
  const AppState& state_;
};

}  // namespace tarvo
