#include "app/frm_main.h"

namespace tarvo {
namespace {

constexpr const char* kItemCaptions[9] = {
    "Personal Folders (Contacts, Tasks, Calendar, Notes and mail folders)",
    "Accounts Settings",
    "Signatures",
    "Stationeries",
    "Personal Address Book",
    "Options Settings",
    "Templates",
    "Preferences (Customizable settings)",
    "Contacts Folder"};

}  // namespace

FrmMain::FrmMain(App& a) : app(a) {
  caption = kMainCaption;
  SSTab1.captions = {"Backup", "Restore", "Logs", "About"};
  cmdApply.caption = "Backup Now";
  cmdQuit.caption = "Quit";
  ifprotect.caption = "Protect backup file with password";
  txtPassword.password = txtPassword2.password = true;
  txtAttachInfo.multiLine = txtPOBinfo.multiLine = txtFileInfo.multiLine = true;
  for (int i = 0; i < 9; ++i) {
    backupitem[i].caption = kItemCaptions[i];
    restoreitem[i].caption = kItemCaptions[i];
  }
}

}  // namespace tarvo
