#include "forms/frm_about.h"

namespace tarvo {

FrmAbout::FrmAbout(const AppState& state) : state_(state) {
  caption = std::string("About ") + kAppTitle;
  lblTitle.caption = kMainCaption;
  lblVersion.caption = std::string("Version ") + kVersion;
  cmdOK.caption = "OK";
}

// The paths are read at each showing: the data folder is only known after start-up.
void FrmAbout::Form_Load() {
  lblProgram.caption = "Program folder: " + state_.ExeFolder;
  lblData.caption = "Data folder: " + state_.DataFolder;
  lblSettings.caption = "Settings: " + state_.SettingsFile;
  lblLog.caption = "Log: " + state_.LogFile;
  loaded = true;
  visible = true;
}

void FrmAbout::cmdOK_Click() {
  loaded = false;
  visible = false;
}

}  // namespace tarvo
