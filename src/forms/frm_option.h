#pragma once
// The scheduled-backup window: one weekly task that starts the automatic backup.
#include <array>
#include <string>

#include "jobs/app.h"
#include "forms/controls.h"

namespace tarvo {

class Frmoption : public Form {
 public:
  explicit Frmoption(App& app);
  const char* Name() const override { return "Frmoption"; }

  ComboBox cbSource;
  std::array<CheckBox, 9> backupitem;
  ComboBox cmbStartTime;
  CheckBox chkMonday, chkTuesday, chkWednesday, chkThursday, chkFriday, chkSaturday, chkSunday, chkDaily;
  TextBox txtTargetFile;
  CheckBox ifprotect;
  TextBox txtPassword, txtPassword2;
  Button Command3, Command1, Command2, cmdTargetFile;
  Label lblExplain;

  std::string TaskDays, TaskItemMask, TaskProfile, TaskFile;

  void Form_Load();
  void cbSource_Click();
  void chkDaily_Click();
  void ifprotect_Click();
  void cmdTargetFile_Click();
  void Command3_Click();
  void Command1_Click();
  void Command2_Click();

  // Each schtasks command must end before the next starts, or the creation can race the
  // deletion of the old task.
  static constexpr int kCommandTimeoutMs = 30000;

 private:
  void Close();
  int Message(const std::string& text, MsgIcon icon);
  App& app_;
};

}  // namespace tarvo
