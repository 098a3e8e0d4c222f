#pragma once
// frmPwd: asks for the password of a protected archive while it is being opened.
#include "core/app_state.h"
#include "forms/controls.h"

namespace tarvo {

class FrmPwd : public Form {
 public:
  explicit FrmPwd(AppState& state);
  const char* Name() const override { return "frmPwd"; }

  Label SkinLabel1;  // "Please enter password:"
  TextBox txtPassword;
  Button cmdOK, cmdExit;

  void Form_Load();
  void cmdOK_Click();
  void cmdExit_Click();
  void txtPassword_KeyPress(int keyAscii);

 private:
  void Unload();
  AppState& state_;
};

}  // namespace tarvo
