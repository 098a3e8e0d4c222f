#pragma once
// The main window's portable logic: controls as members, handlers as methods. The
// handlers of each subsystem are defined in that subsystem's folder.
#include <array>
#include <string>

#include "app/app.h"
#include "app/controls.h"
#include "backup/zip_component.h"

namespace tarvo {

inline constexpr const char* kNoDiscMessage = "Writing to CD or DVD is not available in this version.";

class FrmMain : public Form, public ZipEvents {
 public:
  explicit FrmMain(App& app);
  const char* Name() const override { return "frmMain"; }

  // --- controls ---
  TabStrip SSTab1;  // "Backup", "Restore", "Logs", "About"
  Button cmdApply, cmdQuit;
  // Backup tab
  ComboBox cbSource;
  std::array<CheckBox, 9> backupitem;
  TextBox txtTargetFile;
  CheckBox ifprotect;
  TextBox txtPassword, txtPassword2, txtAttachInfo;
  // Restore tab
  ComboBox cbTarget;
  std::array<CheckBox, 9> restoreitem;
  TextBox txtSourceFile, txtPOBinfo, txtFileInfo;
  // Logs and About tabs
  ListBox List1;
  Label SkinLabel10;
  // Run panel
  Control picCon3;
  ProgressBar pbshow;
  Label Label1, SkinLabel9;
  bool ZipWriteDone = false;

  // --- app/frm_main.cpp: start-up, tabs, menus, item selection ---
  void Form_Load();
  void Form_Activate();
  void Form_Unload();
  void filequit_Click();
  void SSTab1_Click();
  void cmdApply_Click();
  void cmdQuit_Click();
  void ifprotect_Click();
  void Selectallitems_Click();
  void Deselectallitems_Click();
  void Selectallitems2_Click();
  void Deselectallitems2_Click();
  void backupnow_Click();
  void restorenow_Click();
  void helpfile_Click();
  bool quitRequested = false;  // set by the quit procedure; the Win32 layer ends the process

  // --- app/frm_main_menus.cpp: the menu entries that open other windows ---
  void TaskScheduler_Click();
  void settings_Click();
  void about_Click();
  void cmdAbout_Click();
  void backuptocd_Click();

  // --- outlook/frm_main_source.cpp ---
  void cbSource_Click();

  // --- backup/frm_main_backup.cpp, collectors in backup/collectors.cpp ---
  void RunBackup();
  void cmdTargetFile_Click();
  bool BackupConfig(const std::string& profile);
  bool BackupDatas(const std::string& profile);
  bool BackupRules(const std::string& profile);
  bool BackupAccounts(const std::string& profile);
  bool BackupSignatures();
  bool BackupStationery();
  bool BackupPab(const std::string& profile);
  bool BackupConfigsetting();
  bool BackupTemplates();
  bool BackupSetting();
  bool BackupContacts();
  // backup/auto_backup.cpp
  void RunAutoBackup();

  // --- restore/frm_main_restore.cpp, restorers in restore/restorers.cpp ---
  void cmdSourceFile_Click();
  void RunRestore();
  bool RestoreConfig(const std::string& target);
  bool RestoreRules(const std::string& target);
  bool RestoreAccounts(const std::string& target);
  bool RestoreSignatures();
  bool RestoreStationery();
  bool RestorePab(const std::string& target);
  bool RestoreConfigsetting();
  bool RestoreTemplates();
  bool RestoreSetting();
  bool RestoreContacts();
  bool RestoreDatas(const std::string& target);

  // --- zip notifications (app/frm_main.cpp) ---
  void AddingFile(const std::string& fileName) override;
  void UnzippingFile(const std::string& fileName) override;
  void WriteProgress(int percent) override;
  void WriteComplete() override;

  App& app;
};

}  // namespace tarvo
