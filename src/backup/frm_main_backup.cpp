// The interactive backup run and the target file dialog.
#include <functional>
#include <stdexcept>
#include <string>

#include "app/frm_main.h"
#include "app/record.h"
#include "app/settings.h"
#include "backup/archive_check.h"
#include "backup/archive_record.h"
#include "backup/backup_steps.h"
#include "backup/run_guard.h"
#include "outlook/outlook_env.h"

namespace tarvo {
namespace {

constexpr const char* kOutlookAppPathKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";

// One row of the run table: which boxes choose the collector and what the run shows.
struct CollectorStep {
  std::function<bool()> run;
  bool chosen;
  const char* caption;  // Label1 while it runs
  const char* name;     // log and summary name; nullptr for none
  int progressStep;
};


}  // namespace

void FrmMain::RunBackup() {
  AppState& st = app.state;
  FileSystem& files = app.platform.files;
  SystemInfo& sys = app.platform.system;
  Ui& ui = app.platform.ui;
  auto now = [&] { return sys.GeneralDate(sys.Now()); };
  auto log = [&](const std::string& entry) { AppendLogLine(files, st.LogFile, entry); };

  if (st.loc.TargetFile.empty()) {
    ui.MessageBox("Invalid backup file.", kAppTitle, MsgButtons::Ok, MsgIcon::Warning);
    return;
  }
  bool anyChecked = false;
  for (const CheckBox& box : backupitem) anyChecked = anyChecked || box.checked();
  if (!anyChecked) {
    ui.MessageBox("Please select at least one item.", kAppTitle, MsgButtons::Ok, MsgIcon::Warning);
    return;
  }
  if (ifprotect.checked()) {
    if (txtPassword.text.empty() && txtPassword2.text.empty()) {
      ui.MessageBox("Please enter Password!", kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
      return;
    }
    if (txtPassword.text != txtPassword2.text) {
      ui.MessageBox("Incorect Password!", kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
      return;
    }
  }

  // The old archive stays until the new one is complete: the zip component replaces it.
  ui.SetBusyCursor(true);
  const int lockWait = st.RunLockWaitMs >= 0 ? st.RunLockWaitMs : kWindowRunLockWaitMs;
  const auto lock = LockArchive(files, st.loc.TargetFile, lockWait);
  if (!lock) {
    ui.SetBusyCursor(false);
    log(BusyArchiveLogEntry(now(), "Backup", st.loc.TargetFile, lockWait));
    ui.MessageBox(BusyArchiveMessage(st.loc.TargetFile), kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  RemoveLeftoversOfKilledRuns(files, st.loc.TargetFile, st.ProgramFolder);
  Step([&] {
    if (ReadFlag(files, st.SettingsFile, "Backup", "autocloseoutlook")) {
      EndProcessesNamed(app.platform.processes, "outlook.exe");
      EndProcessesNamed(app.platform.processes, "OUTLOOK.EXE");
    }
  });

  const std::string backupPassword = txtPassword.text;
  picCon3.visible = true;
  ui.PumpMessages();

  const std::string profile = cbSource.text;
  Step([&] {
    st.InfoRecordPath = NewRecordWorkFile(files, st.ProgramFolder);
    RecordHeader header{st.ComputerName, st.LogonUserName, profile, now(),
                        GetOutlookVersion(app.platform.office, app.reg, st.env), txtAttachInfo.text};
    WriteRecordHeader(files, st.InfoRecordPath, header);
  });

  log(std::string(84, '.') + "\r");
  log(now() + " Start Backup Profile " + profile + " Data..." + "\n");
  log(now() + " Backup File is " + st.loc.TargetFile + "\n");
  pbshow.Add(10);

  ZipWriteDone = false;
  app.zip.SetEvents(this);
  CheckedArchiveWrite checked(files, ReadFlag(files, st.SettingsFile, "General", "checkbackupfile"),
                              app.beforeArchiveCheck);
  app.zip.NewArchive(checked.Begin(st.loc.TargetFile));

  auto box = [&](int i) { return backupitem[i].checked(); };
  const CollectorStep steps[] = {
      {[&] { return BackupConfig(profile); }, box(0) || box(1) || box(4), "Copying Config...", nullptr, 0},
      {[&] { return BackupDatas(profile); }, box(0), "Copying Data Files (Pst Files)...", "Backup Personal Folders",
       (box(0) ? 5 : 0) + 15},
      {[&] { return BackupRules(profile); }, box(0), "Copying Rules...", nullptr, 10},
      {[&] { return BackupAccounts(profile); }, box(1), "Copying Accounts...", "Backup Accounts Settings", 20},
      {[&] { return BackupSignatures(); }, box(2), "Copying Signatures...", "Backup Signatures", 10},
      {[&] { return BackupStationery(); }, box(3), "Copying Stationeries...", "Backup Stationeries", 10},
      {[&] { return BackupPab(profile); }, box(4), "Copying Address Book...", "Backup Personal Address Book", 5},
      {[&] { return BackupConfigsetting(); }, box(5), "Copying Options...", "Backup Options Settings", 5},
      {[&] { return BackupTemplates(); }, box(6), "Copying Templates...", "Backup Templates", 5},
      {[&] { return BackupSetting(); }, box(7), "Copying Setting...", "Backup Preferences", 0},
      {[&] { return BackupContacts(); }, box(8), "Copying Contacts Folder...", "Backup Contacts Folder", 10},
  };

  st.ItemFlags.clear();
  std::string summary;
  for (const CollectorStep& step : steps) {
    if (!step.chosen) {
      st.ItemFlags += '0';
      pbshow.Add(step.progressStep);
      continue;
    }
    Label1.caption = step.caption;
    bool ok = false;
    Step([&] { ok = step.run(); });
    st.ItemFlags += ok ? '1' : '0';
    if (step.name) {
      const std::string name = step.name;
      const char* result = ok ? "Succeeded!" : "Fail!";
      log(now() + " " + name + " " + result + "\n");
      const bool wideGap = name == "Backup Signatures" || name == "Backup Templates";
      summary += "\r\n" + name + (wideGap ? "\t\t" : "\t") + result + "\t";
    }
    pbshow.Add(step.progressStep);
  }

  Step([&] { SaveINI(files, "BackupItem", st.ItemFlags, st.InfoRecordPath); });
  Step([&] { files.SetNormalAttributes(st.InfoRecordPath); });
  Step([&] { app.zip.AddFileAs(st.InfoRecordPath, archive::kRecordEntry); });
  if (ifprotect.checked()) {
    app.zip.WritePassword = backupPassword;
    app.zip.EncryptArchive = 1;
  } else {
    app.zip.WritePassword.clear();
    app.zip.EncryptArchive = 0;
  }
  pbshow.Set(pbshow.max - 4);

  bool written = false;
  Step([&] { written = app.zip.WriteArchive(); });
  ui.PumpMessages();
  // The component raises WriteComplete before WriteArchive returns; a throw inside it
  // must not leave the run waiting for ever.
  if (!written && !ZipWriteDone) ZipWriteDone = true;
  while (!ZipWriteDone) ui.PumpMessages();
  app.zip.CloseArchive();
  if (written && checked.Checking()) {
    SkinLabel9.caption = "Checking Backup File " + st.loc.TargetFile;
    ui.PumpMessages();
  }
  written = checked.Finish(written, app.zip.LastError(), ifprotect.checked() ? backupPassword : std::string());
  const std::string writeError = written ? std::string() : checked.WriteError();

  Step([&] { DeleteWorkFiles(files, st); });

  pbshow.Set(pbshow.max);
  ui.SetBusyCursor(false);
  ZipWriteDone = false;
  SkinLabel9.caption.clear();
  SkinLabel10.caption.clear();
  picCon3.visible = false;
  pbshow.Set(pbshow.min);

  if (written) {
    log(now() + " Backup Profile " + profile + " Data was Completed!" + "\r");
    ui.MessageBox(std::string("The Backup was Completed!") + "\t\t\t" + "\r\n" + summary, kAppTitle, MsgButtons::Ok,
                  MsgIcon::Information);
  } else {
    // A failed write must never read as a finished backup.
    const bool badCheck = checked.CheckFailed();
    const std::string why = badCheck ? checked.CheckError() : writeError;
    log(now() + " Backup File " + st.loc.TargetFile + (badCheck ? " failed its check: " : " could not be written: ") +
        why + "\n");
    log(now() + " Backup Profile " + profile + " Data was not Completed!" + "\r");
    std::string text = std::string(badCheck ? "The Backup File failed its check and was not kept!"
                                            : "The Backup File could not be written!") +
                       "\r\n" + why;
    if (files.FileExists(st.loc.TargetFile)) text += "\r\nThe previous backup file was left as it was.";
    ui.MessageBox(text + "\r\n" + summary, kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
  }

  // After-backup actions.
  Step([&] {
    if (!ReadFlag(files, st.SettingsFile, "General", "burndvd")) return;
    st.BurnFileName = files.FileExists(st.loc.TargetFile)
                          ? files.StoredName(st.loc.TargetFile).value_or(BareName(st.loc.TargetFile))
                          : std::string();
    st.BurnFilePath = st.loc.TargetFile;
    // The disc writing window would take both; until it ships, the user who asked for a
    // disc hears that none is written rather than nothing at all.
    ui.MessageBox(kNoDiscMessage, kAppTitle, MsgButtons::Ok, MsgIcon::Information);
  });
  Step([&] {
    if (!ReadFlag(files, st.SettingsFile, "General", "runoutlookafterbackup")) return;
    const std::string folder = app.reg.GetStringValue(kOutlookAppPathKey, "Path");
    if (folder == kRegError || folder.empty()) return;
    app.platform.shell.Start("\"" + JoinPath(folder, "OUTLOOK.EXE") + "\"", WindowMode::Minimized);
  });
  Step([&] {
    if (!ReadFlag(files, st.SettingsFile, "backup", "openfolderbackup")) return;
    const std::string& target = st.loc.TargetFile;
    const auto slash = target.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    app.platform.shell.Start("explorer /n," + folder, WindowMode::Normal);
  });
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
        BackupFolderFromSetting(ReadSetting(files, st.SettingsFile, "backup", "backupfolder"), st.ProgramFolder);
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
