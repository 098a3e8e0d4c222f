// The backup tab: the target file dialog, the interactive backup and the automatic one.
#include <stdexcept>
#include <string>

#include "backup/run_guard.h"
#include "core/settings.h"
#include "forms/frm_main.h"
#include "forms/frm_main_sink.h"
#include "jobs/auto_backup.h"
#include "jobs/backup_job.h"
#include "jobs/run_events.h"

namespace tarvo {
namespace {

// The two password boxes of a protected backup; false after telling the user.
bool PasswordsAgree(Ui& ui, const TextBox& first, const TextBox& second) {
  if (first.text.empty() && second.text.empty()) {
    ui.MessageBox("Please enter Password!", kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    return false;
  }
  if (first.text != second.text) {
    ui.MessageBox("Incorect Password!", kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    return false;
  }
  return true;
}

}  // namespace

void FrmMain::RunBackup() {
  Ui& ui = app.platform.ui;
  BackupRequest request;
  request.profile = cbSource.text;
  request.boxes = Ticked(backupitem);
  // The target is the run state the dialog and the profile choice set, not the box's text.
  request.target = app.state.loc.TargetFile;
  request.password = ifprotect.checked() ? txtPassword.text : std::string();
  request.note = txtAttachInfo.text;
  if (const Refusal* refusal = RefuseBackup(request)) {
    ui.MessageBox(refusal->text, kAppTitle, MsgButtons::Ok, refusal->critical ? MsgIcon::Critical : MsgIcon::Warning);
    return;
  }
  if (ifprotect.checked() && !PasswordsAgree(ui, txtPassword, txtPassword2)) return;

  ui.SetBusyCursor(true);
  FrmMainSink sink(*this);
  const auto lock = LockBackupTarget(app, request.target, kWindowRunLockWaitMs, "Backup", sink);
  if (!lock) {
    ui.SetBusyCursor(false);
    AutoRunFacts facts = BackupFacts(request, {});
    facts.notRun = "another backup onto the same file was still running";
    ReportRunEvent(app, BackupEvent("Backup", facts));
    ui.MessageBox(BusyArchiveMessage(request.target), kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  RemoveLeftoversOfKilledRuns(app.platform.files, request.target, app.state.DataFolder);
  picCon3.visible = true;
  ui.PumpMessages();
  ZipWriteDone = false;
  app.zip.SetEvents(this);
  const BackupResult result = BackupJob(app, request, sink).Run();
  ReportRunEvent(app, BackupEvent("Backup", BackupFacts(request, result)));
  // The component raises WriteComplete before WriteArchive returns; a throw inside it
  // must not leave the run waiting for ever.
  if (!result.written && !ZipWriteDone) ZipWriteDone = true;
  while (!ZipWriteDone) ui.PumpMessages();

  pbshow.Set(pbshow.max);
  ui.SetBusyCursor(false);
  ZipWriteDone = false;
  SkinLabel9.caption.clear();
  SkinLabel10.caption.clear();
  picCon3.visible = false;
  pbshow.Set(pbshow.min);
  const RunMessage message = BackupMessage(app.platform.files, request, result);
  ui.MessageBox(message.text, kAppTitle, MsgButtons::Ok, message.critical ? MsgIcon::Critical : MsgIcon::Information);
  RunAfterBackupActions(app, request.target, result.outlook);
}

void FrmMain::RunAutoBackup() {
  app.zip.SetEvents(this);
  RunLogSink sink(app);
  RunAutomaticBackup(app, sink);
}

void FrmMain::cmdTargetFile_Click() {
  AppState& st = app.state;
  FileSystem& files = app.platform.files;
  try {
    FileDialogRequest request;
    request.title = "Save Outlook Data as";
    request.filter = kArchiveFilter;
    request.overwritePrompt = true;
    request.fileName = "mvbox-" + cbSource.text + "-" + DateMMDDYYYY(app.platform.system.Now()) + ".tvo";
    request.initialFolder =
        BackupFolderFromSetting(ReadSetting(files, st.SettingsFile, "backup", "backupfolder"), st.DataFolder);
    const auto chosen = app.platform.ui.SaveFileDialog(request);
    if (!chosen) throw std::runtime_error("cancelled");
    if (!chosen->empty()) {
      txtTargetFile.text = *chosen;
      st.loc.TargetFile = txtTargetFile.text;
    }
  } catch (...) {
    txtTargetFile.text.clear();
    st.loc.TargetFile.clear();
  }
}

}  // namespace tarvo
