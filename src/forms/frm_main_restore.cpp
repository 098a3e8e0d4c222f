// The restore tab: opening and inspecting an archive, and the restore run.
#include "core/item_table.h"
#include "core/settings.h"
#include "backup/archive_record.h"
#include "forms/frm_main.h"
#include "forms/frm_main_sink.h"
#include "forms/frm_pwd.h"
#include "jobs/archive_opening.h"
#include "jobs/restore_job.h"
#include "jobs/run_events.h"

namespace tarvo {

void FrmMain::cmdSourceFile_Click() {
  AppState& state = app.state;
  Ui& ui = app.platform.ui;
  app.zip.CloseArchive();
  state.NoArchiveLoaded = true;  // the restore side is cleared, whatever was opened before
  for (auto& item : restoreitem) {
    item.value = 0;
    item.enabled = false;
  }
  txtSourceFile.text.clear();
  txtFileInfo.text.clear();
  txtPOBinfo.text.clear();

  FileDialogRequest request;
  request.title = "Restore Date from a backup file";
  request.filter = kArchiveFilter;
  const auto chosen = ui.OpenFileDialog(request);
  if (!chosen || chosen->empty()) return;
  const std::string path = *chosen;

  const auto askPassword = [&] {
    FrmPwd pwd(state);
    pwd.Form_Load();
    ui.ShowModal(pwd);
  };
  ArchiveDetails details;
  const OpenOutcome outcome = OpenArchiveFile(app, path, askPassword, details);
  if (outcome == OpenOutcome::WrongPassword) {
    ui.MessageBox(kWrongPasswordMessage, kAppTitle, MsgButtons::Ok, MsgIcon::Information);
    return;
  }
  txtSourceFile.text = path;
  txtPOBinfo.text = details.origin;
  txtFileInfo.text = details.note;
  if (outcome == OpenOutcome::InvalidRecord) {
    ui.MessageBox(kInvalidRecordMessage, kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  for (const ItemRow& row : kItems)
    if (row.box >= 0 && archive::ItemPresent(state.ItemFlags, row.position))
      restoreitem[static_cast<std::size_t>(row.box)].enabled = true;
}

void FrmMain::RunRestore() {
  Ui& ui = app.platform.ui;
  const RestoreRequest request{cbTarget.text, Ticked(restoreitem)};
  if (const Refusal* refusal = RefuseRestore(app.state, request)) {
    ui.MessageBox(refusal->text, kAppTitle, MsgButtons::Ok, refusal->critical ? MsgIcon::Critical : MsgIcon::Warning);
    return;
  }
  SkinLabel9.caption = "Restore Outlook Data....";
  ui.SetBusyCursor(true);
  picCon3.visible = true;
  FrmMainSink sink(*this);
  const RestoreResult result = RestoreJob(app, request, sink).Run();
  ReportRunEvent(app, RestoreEvent(app.state.SourceArchive, request.targetProfile, result));

  ui.SetBusyCursor(false);
  pbshow.Set(pbshow.max);
  Label1.caption = "Operation complete!";
  picCon3.visible = false;
  pbshow.Set(0);
  ui.MessageBox(RestoreMessage(result), kAppTitle, MsgButtons::Ok, MsgIcon::Information);
  if (ReadFlag(app.platform.files, app.state.SettingsFile, "General", "runoutlookafterrestore"))
    StartOutlookAfterwards(app);
}

}  // namespace tarvo
