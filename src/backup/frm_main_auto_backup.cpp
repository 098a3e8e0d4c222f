// The automatic backup: the unattended run that the scheduled task starts. It shows
// nothing and asks nothing; only a missing profile, a failed archive write and skipped
// files reach the log, since nobody else would learn of them.
#include <string>

#include "app/frm_main.h"
#include "app/record.h"
#include "app/settings.h"
#include "backup/archive_check.h"
#include "backup/auto_backup_outcome.h"
#include "backup/backup_steps.h"
#include "backup/archive_record.h"
#include "backup/profile_check.h"
#include "backup/run_guard.h"
#include "backup/work_files.h"
#include "outlook/item_locations.h"
#include "outlook/outlook_env.h"

namespace tarvo {

void FrmMain::RunAutoBackup() {
  AppState& st = app.state;
  FileSystem& files = app.platform.files;
  SystemInfo& sys = app.platform.system;

  const auto args = ParseAutoBackupArgs(st.CommandLine);
  if (!args) return;
  // A task outlives renamed and deleted profiles; its last good archive must outlive them too.
  // Both early ends are failures the next interactive start must tell.
  auto notRun = [&](const std::string& why) {
    AutoRunFacts facts;
    facts.profile = args->profile;
    facts.archive = args->archive;
    facts.notRun = why;
    RecordAutoRun(app, facts);
  };
  if (!ProfileExists(app.reg, st.env.ProfilesKey, args->profile)) {
    AppendLogLine(files, st.LogFile, MissingProfileLogEntry(sys.GeneralDate(sys.Now()), args->profile, args->archive));
    notRun("this user has no Outlook profile named " + args->profile + " (renamed or deleted?)");
    return;
  }
  const int lockWait = st.RunLockWaitMs >= 0 ? st.RunLockWaitMs : kAutoRunLockWaitMs;
  const auto lock = LockArchive(files, args->archive, lockWait);
  if (!lock) {
    AppendLogLine(files, st.LogFile,
                  BusyArchiveLogEntry(sys.GeneralDate(sys.Now()), "Automatic Backup", args->archive, lockWait));
    notRun("another backup onto the same file was still running");
    return;
  }

  // The plain archive path is removed only once the dated archive is complete (below).
  st.loc.TargetFile = args->archive;
  Step([&] {
    if (ReadFlag(files, st.SettingsFile, "autobackup", "autobackupfile"))
      st.loc.TargetFile = DatedArchiveName(args->archive, sys.Now());
  });
  if (st.loc.TargetFile != args->archive) RemoveArchiveLeftovers(files, st.loc.TargetFile);
  RemoveLeftoversOfKilledRuns(files, args->archive, st.ProgramFolder);
  app.platform.ui.PumpMessages();

  Step([&] {
    st.InfoRecordPath = NewRecordWorkFile(files, st.ProgramFolder);
    RecordHeader header{st.ComputerName, st.LogonUserName, args->profile, sys.GeneralDate(sys.Now()),
                        GetOutlookVersion(app.platform.office, app.reg, st.env), "Automatic Backup"};
    WriteRecordHeader(files, st.InfoRecordPath, header);
  });

  // The places of the profile named in the task, not of the one the hidden window shows:
  // otherwise a task for the second profile would carry the first one's accounts.
  Step([&] {
    if (st.env.UserProfilePath.empty()) st.env.UserProfilePath = sys.ExpandEnvironment("%UserProfile%");
    ComputeLocations(app.reg, st.env, args->profile, st.loc);
  });

  app.zip.SetEvents(this);
  CheckedArchiveWrite checked(files, ReadFlag(files, st.SettingsFile, "General", "checkbackupfile"),
                              app.beforeArchiveCheck);
  app.zip.NewArchive(checked.Begin(st.loc.TargetFile));

  auto mask = [&](int position) {
    return args->mask.size() >= static_cast<std::size_t>(position) && args->mask[position - 1] == '1';
  };
  const std::string& profile = args->profile;
  struct Row {
    bool chosen;
    bool (FrmMain::*withProfile)(const std::string&);
    bool (FrmMain::*plain)();
  };
  const Row rows[] = {
      {mask(1) || mask(2) || mask(5), &FrmMain::BackupConfig, nullptr},
      {mask(1), &FrmMain::BackupDatas, nullptr},
      {mask(1), &FrmMain::BackupRules, nullptr},
      {mask(2), &FrmMain::BackupAccounts, nullptr},
      {mask(3), nullptr, &FrmMain::BackupSignatures},
      {mask(4), nullptr, &FrmMain::BackupStationery},
      {mask(5), &FrmMain::BackupPab, nullptr},
      {mask(6), nullptr, &FrmMain::BackupConfigsetting},
      {mask(7), nullptr, &FrmMain::BackupTemplates},
      {mask(8), nullptr, &FrmMain::BackupSetting},
      {mask(9), nullptr, &FrmMain::BackupContacts},
  };
  st.ItemFlags.clear();
  std::string chosen;
  for (const Row& row : rows) {
    chosen += row.chosen ? '1' : '0';
    bool ok = false;
    if (row.chosen) Step([&] { ok = row.withProfile ? (this->*row.withProfile)(profile) : (this->*row.plain)(); });
    st.ItemFlags += ok ? '1' : '0';
  }

  Step([&] { SaveINI(files, "BackupItem", st.ItemFlags, st.InfoRecordPath); });
  Step([&] { files.SetNormalAttributes(st.InfoRecordPath); });
  Step([&] { app.zip.AddFileAs(st.InfoRecordPath, archive::kRecordEntry); });
  if (!args->password.empty()) {
    app.zip.EncryptArchive = -1;
    app.zip.SetPassword(args->password);
  } else {
    app.zip.EncryptArchive = 0;
    app.zip.SetPassword("");
  }

  bool written = false;
  Step([&] { written = app.zip.WriteArchive(); });
  app.zip.CloseArchive();
  written = checked.Finish(written, app.zip.LastError(), args->password);
  const std::string why = checked.CheckFailed() ? checked.CheckError() : checked.WriteError();

  if (written) {
    Step([&] {
      if (st.loc.TargetFile != args->archive && files.FileExists(args->archive)) files.DeleteFile(args->archive);
    });
    Step([&] { PruneAfterAutoRun(app, args->archive); });
  } else {
    AppendLogLine(files, st.LogFile,
                  sys.GeneralDate(sys.Now()) + " Automatic Backup File " + st.loc.TargetFile +
                      (checked.CheckFailed() ? " failed its check: " : " could not be written: ") + why + "\n");
  }
  Step([&] { DeleteWorkFiles(files, st); });
  Step([&] {
    RecordAutoRun(app, {args->profile, st.loc.TargetFile, chosen, st.ItemFlags, written, checked.CheckFailed(), why, ""});
  });
}

}  // namespace tarvo
