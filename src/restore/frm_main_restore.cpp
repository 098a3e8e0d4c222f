// Restore tab: opening and inspecting an archive, and the restore run.
#include <exception>
#include <functional>

#include "app/frm_main.h"
#include "app/record.h"
#include "app/settings.h"
#include "backup/archive_record.h"
#include "backup/run_guard.h"
#include "restore/frm_pwd.h"

namespace tarvo {
namespace {

// Record key read for each archive position, and the restore item it enables (-1: none).
struct PositionInfo {
  const char* key;
  int restoreItem;
};
constexpr PositionInfo kPositions[11] = {
    {"BackupConfig", -1},   {"BackupDatas", 0},        {"BackupRules", -1},     {"BackupAccounts", 1},
    {"BackupSignatures", 2}, {"BackupStationery", 3},  {"BackupPab", 4},        {"BackupConfigsetting", 5},
    {"BackupTemplates", 6}, {"BackupSetting", 7},      {"Backupcontacts", 8}};

using archive::kRecordEntry;

}  // namespace

void FrmMain::cmdSourceFile_Click() {
  auto& state = app.state;
  auto& ui = app.platform.ui;
  auto& files = app.platform.files;
  auto& zip = app.zip;

  zip.CloseArchive();
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

  if (zip.IsEncrypted(path) == 1) {
    FrmPwd pwd(state);
    pwd.Form_Load();
    ui.ShowModal(pwd);
    zip.OpenArchive(path);
    zip.ReadPassword = state.RestorePassword;
    if (zip.CheckPassword() != 1) {
      ui.MessageBox("Incorect Password or Invalid backup file!", kAppTitle, MsgButtons::Ok, MsgIcon::Information);
      return;
    }
  } else {
    zip.ReadPassword.clear();
    zip.OpenArchive(path);
  }

  txtSourceFile.text = path;
  state.SourceArchive = path;

  // A work file of this opening's own, absent unless the archive holds a record.
  state.InfoRecordPath = NewRecordWorkFile(files, state.ProgramFolder);
  const std::string& info = state.InfoRecordPath;
  if (files.FileExists(info)) files.DeleteFile(info);
  if (const auto entry = zip.GetEntry(kRecordEntry)) zip.ExtractToFile(*entry, info);

  const auto read = [&](const char* key) { return GetINI(files, key, info); };
  try {
    txtPOBinfo.text = "Computer:" + read("BackupComputer") + "\r\nUser:" + read("BackupLogonUser") +
                      "\r\nBackup Time:" + read("BackupTime") + "\r\nProfile:" + read("BackupIdentity") +
                      "\r\nOutlook Version:" + read("Outlookversion");
  } catch (const std::exception&) {
  }
  try {
    txtFileInfo.text = archive::DecodeNote(read("BackupInformation"));
  } catch (const std::exception&) {
  }

  state.ItemFlags.clear();
  try {
    state.ItemFlags = read("BackupItem");
  } catch (const std::exception&) {
  }
  if (state.ItemFlags.size() != 11) {
    ui.MessageBox("Invalid backup file", kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    state.NoArchiveLoaded = true;
    files.DeleteFile(info);
    return;
  }

  for (int position = 1; position <= 11; ++position) {
    if (!archive::ItemPresent(state.ItemFlags, position)) continue;
    const auto& p = kPositions[position - 1];
    if (p.restoreItem >= 0) restoreitem[p.restoreItem].enabled = true;
    try {
      state.RestoreLists[position - 1] = read(p.key);
    } catch (const std::exception&) {
    }
  }
  files.DeleteFile(info);
  state.NoArchiveLoaded = false;
}

void FrmMain::RunRestore() {
  auto& state = app.state;
  auto& ui = app.platform.ui;
  auto& files = app.platform.files;
  auto& system = app.platform.system;

  if (state.NoArchiveLoaded) {
    ui.MessageBox("Invalid backup file.", kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  bool any = false;
  for (const auto& item : restoreitem) any = any || item.checked();
  if (!any) {
    ui.MessageBox("Please select at least one item.", kAppTitle, MsgButtons::Ok, MsgIcon::Warning);
    return;
  }

  const auto now = [&] { return system.GeneralDate(system.Now()); };
  const auto log = [&](const std::string& text) { AppendLogLine(files, state.LogFile, text); };
  const auto box = [&](int i) { return restoreitem[i].checked(); };

  log(std::string(84, '.') + "\r");
  log(now() + " Start Retore Data to Profile " + cbTarget.text + "\n");
  log(now() + " Restore File is " + state.SourceArchive + "\n");

  SkinLabel9.caption = "Restore Outlook Data....";
  ui.SetBusyCursor(true);
  picCon3.visible = true;
  pbshow.Add(10);
  ui.PumpMessages();

  std::string summary;
  const auto report = [&](const char* label, int tabs, const char* logText, bool ok) {
    std::string shown = label;
    if (!ok && shown == "Restore Signatures") shown += " ";
    summary += "\r\n" + shown + std::string(tabs, '\t') + (ok ? "Succeeded!" : "Fail!") + "\t";
    log(now() + logText + (ok ? "Succeeded!" : "Fail!") + "\n");
  };
  // Runs one row: the box condition and the archive flag must both hold.
  const auto step = [&](bool checked, int flag, const char* status, const std::function<bool()>& restorer,
                        const char* label, int tabs, const char* logText) {
    if (!checked || !archive::ItemPresent(state.ItemFlags, flag)) return;
    Label1.caption = status;
    bool ok = false;
    try {
      ok = restorer();
    } catch (const std::exception&) {
    }
    if (label) report(label, tabs, logText, ok);
  };

  step(box(0) || box(1) || box(4), 1, "Copying Config...", [&] { return RestoreConfig(cbTarget.text); }, nullptr, 0,
       nullptr);
  pbshow.Add(10);
  step(box(0), 3, "Copying Rules...", [&] { return RestoreRules(cbTarget.text); }, nullptr, 0, nullptr);
  pbshow.Add(10);
  pbshow.Add(15);
  step(box(1), 4, "Copying Accounts...", [&] { return RestoreAccounts(cbTarget.text); }, "Restore Accounts Settings",
       1, " Retore Accounts Settings ");
  pbshow.Add(10);
  step(box(2), 5, "Copying Signatures...", [&] { return RestoreSignatures(); }, "Restore Signatures", 2,
       " Retore Signatures ");
  pbshow.Add(10);
  step(box(3), 6, "Copying Stationeries...", [&] { return RestoreStationery(); }, "Restore Stationeries", 1,
       " Retore Stationeries ");
  pbshow.Add(5);
  step(box(4), 7, "Copying Address Book...", [&] { return RestorePab(cbTarget.text); },
       "Restore Personal Address Book", 1, " Retore Personal Address Book ");
  pbshow.Add(5);
  step(box(5), 8, "Copying Options...", [&] { return RestoreConfigsetting(); }, "Restore Options Settings", 1,
       " Retore Options Settings ");
  pbshow.Add(5);
  step(box(6), 9, "Copying Templates...", [&] { return RestoreTemplates(); }, "Restore Templates", 2,
       " Retore Templates ");
  pbshow.Add(5);
  step(box(7), 10, "Copying Setting...", [&] { return RestoreSetting(); }, "Restore Preferences", 1,
       " Retore Preferences ");
  pbshow.Add(5);
  step(box(8), 11, "Copying Contacts Folder...", [&] { return RestoreContacts(); }, "Restore Contacts Folder", 1,
       " Retore Contacts Folder ");
  // The data files come last, so they repoint the profile as the configuration left it.
  step(box(0), 2, "Copying Data Files (PST/OST Files)...", [&] { return RestoreDatas(cbTarget.text); },
       "Restore Personal Folders", 1, " Retore Personal Folders ");

  ui.SetBusyCursor(false);
  pbshow.Set(pbshow.max);
  Label1.caption = "Operation complete!";
  log(now() + " Restore Data to Profile " + cbTarget.text + " was Completed!" + "\r");
  picCon3.visible = false;
  pbshow.Set(0);
  ui.MessageBox("The Restore was Completed!\t\t\t\r\n" + summary, kAppTitle, MsgButtons::Ok, MsgIcon::Information);

  if (ReadFlag(files, state.SettingsFile, "General", "runoutlookafterrestore")) {
    std::string folder = app.reg.GetStringValue(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE", "Path");
    if (folder != kRegError) {
      if (!folder.empty() && folder.back() == '\\') folder.pop_back();
      app.platform.shell.Start("\"" + folder + "\\OUTLOOK.EXE\"", WindowMode::Minimized);
    }
  }
}

}  // namespace tarvo
