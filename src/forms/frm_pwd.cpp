#include "forms/frm_pwd.h"

namespace tarvo {

FrmPwd::FrmPwd(AppState& state) : state_(state) {
  caption = "Please enter password";
  SkinLabel1.caption = "Please enter password:";
  txtPassword.password = true;
  cmdOK.caption = "OK";
  cmdExit.caption = "Cancel";
}

// Every showing starts with an empty box. The skin only changes the look, so a port
// without the skin component has nothing to load here.
void FrmPwd::Form_Load() {
  txtPassword.text.clear();
  loaded = true;
  visible = true;
}

// Taken exactly as typed: spaces are part of a password.
void FrmPwd::cmdOK_Click() {
  state_.RestorePassword = txtPassword.text;
  Unload();
}

// The caller goes on with whatever password was confirmed before.
void FrmPwd::cmdExit_Click() { Unload(); }

void FrmPwd::txtPassword_KeyPress(int keyAscii) {
  if (keyAscii == 13) cmdOK_Click();
}

void FrmPwd::Unload() {
  loaded = false;
  visible = false;
}

}  // namespace tarvo
