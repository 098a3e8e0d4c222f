#pragma once
// The preferences dialog over settings.dat and the start-with-Windows entry.
#include "jobs/app.h"
#include "forms/controls.h"

namespace tarvo {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Frmsettings : public Form {
 public:
  explicit Frmsettings(App& app);
  const char* Name() const override { return "Frmsettings"; }

  TabStrip SSTab1;  // "General", "Backup", " Scheduled Backup"
  TextBox Text1;    // default folder for backups
  CheckBox Check1, Check2, Check3, Check4, Check5, Check6, Check7, Check8;
  OptionButton Option1, Option2;
  // Off unless stored as 1: closing Outlook unasked at night is the user's choice.
  CheckBox chkCloseOutlookAuto;
  TextBox txtKeepDated;  // how many dated automatic backups of a target are kept; 0 all
  Label lblKeepDated;
  Button Command1, Command2, Command3;

  void Form_Load();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

 private:
  void SaveStartWithWindows(bool on);
  void Close();
  App& app_;
};

}  // namespace tarvo
