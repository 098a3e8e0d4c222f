#pragma once
// The main window's portable logic: controls as members, handlers as methods. The work
// of a backup or restore is done by the jobs; the handlers read the controls into a
// request and show what the job reports.
#include <array>
#include <string>

#include "backup/zip_component.h"
#include "forms/controls.h"
#include "jobs/app.h"
#include "jobs/backup_job.h"

namespace tarvo {

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
  // While a backup waits for Outlook to close, the action button stops the wait.
  bool waitingForOutlook = false;
  bool stopWaiting = false;

  // --- forms/frm_main.cpp: start-up, tabs, menus, item selection ---
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

  // --- forms/frm_main_menus.cpp: the menu entries that open other windows ---
  void TaskScheduler_Click();
  void settings_Click();
  void about_Click();
  void cmdAbout_Click();
  void backuptocd_Click();

  // --- forms/frm_main_source.cpp ---
  void cbSource_Click();

  // --- forms/frm_main_backup.cpp: the backup tab over BackupJob ---
  void RunBackup();
  void cmdTargetFile_Click();
  void RunAutoBackup();

  // --- forms/frm_main_restore.cpp: the restore tab over the archive opening and RestoreJob ---
  void cmdSourceFile_Click();
  void RunRestore();

  // The boxes as a job takes them.
  static std::array<bool, 9> Ticked(const std::array<CheckBox, 9>& boxes);

  // --- zip notifications (forms/frm_main.cpp) ---
  void AddingFile(const std::string& fileName) override;
  void UnzippingFile(const std::string& fileName) override;
  void WriteProgress(int percent) override;
  void WriteComplete() override;

  App& app;
};

}  // namespace tarvo
