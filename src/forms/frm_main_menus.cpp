// Menu entries of the main window that open the other windows.
#include "forms/frm_about.h"
#include "forms/frm_disc_write.h"
#include "forms/frm_main.h"
#include "forms/frm_option.h"
#include "forms/frm_settings.h"

namespace tarvo {

void FrmMain::TaskScheduler_Click() {
  Frmoption window(app);
  window.Form_Load();
  app.platform.ui.ShowModal(window);
}

void FrmMain::settings_Click() {
  Frmsettings window(app);
  window.Form_Load();
  app.platform.ui.ShowModal(window);
}

void FrmMain::about_Click() {
  FrmAbout window(app.state);
  window.Form_Load();
  app.platform.ui.ShowModal(window);
}

void FrmMain::cmdAbout_Click() { about_Click(); }

// The disc window from the menu starts with an empty image.
void FrmMain::backuptocd_Click() {
  app.state.BurnFileName.clear();
  app.state.BurnFilePath.clear();
  ShowDiscWindow(app);
}

}  // namespace tarvo
