#include "jobs/backup_job.h"

#include <algorithm>

#include "backup/archive_check.h"
#include "backup/archive_record.h"
#include "backup/backup_steps.h"
#include "backup/run_guard.h"
#include "core/record.h"
#include "core/settings.h"
#include "jobs/run_notes.h"
#include "outlook/outlook_env.h"

namespace tarvo {

const Refusal* RefuseBackup(const BackupRequest& request) {
  static const Refusal kNoTarget{"Invalid backup file.", false};
  static const Refusal kNoItem{"Please select at least one item.", false};
  if (request.target.empty()) return &kNoTarget;
  for (bool box : request.boxes)
    if (box) return nullptr;
  return &kNoItem;
}

std::unique_ptr<RunLock> LockBackupTarget(App& app, const std::string& target, int defaultWaitMs,
                                          const std::string& runName, JobSink& sink) {
  const int wait = app.state.RunLockWaitMs >= 0 ? app.state.RunLockWaitMs : defaultWaitMs;
  auto lock = LockArchive(app.platform.files, target, wait);
  if (!lock) {
    SystemInfo& sys = app.platform.system;
    sink.Log(BusyArchiveLogEntry(sys.GeneralDate(sys.Now()), runName, target, wait));
  }
  return lock;
}

BackupJob::BackupJob(App& app, const BackupRequest& request, JobSink& sink)
    : app_(app), request_(request), sink_(sink) {}

std::string BackupJob::Now() {
  SystemInfo& sys = app_.platform.system;
  return sys.GeneralDate(sys.Now());
}

BackupResult BackupJob::Run() {
  BackupResult result;
  Begin(result);
  // The old archive stays until the new one is complete (and checked): the zip component
  // or the check replaces it.
  FileSystem& files = app_.platform.files;
  CheckedArchiveWrite checked(files, ReadFlag(files, app_.state.SettingsFile, "General", "checkbackupfile"),
                              app_.beforeArchiveCheck);
  app_.zip.NewArchive(checked.Begin(request_.target));
  CollectItems(result);
  result.notes = NoteUnprotectedData(app_, request_, sink_);
  AddRecord(result);
  Write(checked, result);
  Finish(result);
  LogNotes(app_, request_, result.notes, sink_);
  return result;
}

// Outlook writing its data file while it is copied, or ended in the middle of a write,
// can cost mail: it is asked to close first, and only the interactive run, which the user
// watches, ends what is left after the wait.
void BackupJob::CloseOutlookFirst(BackupResult& result) {
  FileSystem& files = app_.platform.files;
  const std::string& settings = app_.state.SettingsFile;
  const bool close =
      request_.unattended ? request_.closeOutlookGently : ReadFlag(files, settings, "Backup", "autocloseoutlook");
  if (!close) return;
  const ClosingRules rules{OutlookCloseWaitMs(files, settings), !request_.unattended};
  bool told = false;
  result.outlook = CloseOutlook(app_.platform.processes, app_.platform.system, rules, [&](int) {
    if (!told) sink_.Status("Waiting for Outlook to close...");
    told = true;
    if (sink_.StopRequested()) return false;
    sink_.Pump();
    return !sink_.StopRequested();
  });
}

void BackupJob::Begin(BackupResult& result) {
  AppState& st = app_.state;
  FileSystem& files = app_.platform.files;
  Step([&] { CloseOutlookFirst(result); });
  Step([&] {
    st.InfoRecordPath = NewRecordWorkFile(files, st.DataFolder);
    RecordHeader header{st.ComputerName, st.LogonUserName, request_.profile, Now(),
                        GetOutlookVersion(app_.platform.office, app_.reg, st.env), request_.note};
    WriteRecordHeader(files, st.InfoRecordPath, header);
  });
  if (request_.unattended) {
    for (const std::string& entry : OutlookClosingLogEntries(Now(), result.outlook)) sink_.Log(entry);
    return;
  }
  sink_.Log(std::string(84, '.') + "\r");
  sink_.Log(Now() + " Start Backup Profile " + request_.profile + " Data..." + "\n");
  sink_.Log(Now() + " Backup File is " + request_.target + "\n");
  for (const std::string& entry : OutlookClosingLogEntries(Now(), result.outlook)) sink_.Log(entry);
  sink_.Progress(progress_ = 10);
}

void BackupJob::CollectItems(BackupResult& result) {
  for (const ItemRow& row : kItems) {
    ItemResult item{row.id, Chosen(row, request_.boxes), false};
    if (item.chosen) {
      sink_.Status(row.backupStatus);
      Step([&] { item.ok = Collect(row.id); });
      if (row.label && !request_.unattended)
        sink_.Log(Now() + " Backup " + row.label + " " + (item.ok ? "Succeeded!" : "Fail!") + "\n");
    }
    result.itemFlags += item.ok ? '1' : '0';
    result.items.push_back(item);
    progress_ = std::min(100, progress_ + (item.chosen ? row.backupStep : row.skippedStep));
    if (!request_.unattended) sink_.Progress(progress_);
  }
}

void BackupJob::AddRecord(const BackupResult& result) {
  AppState& st = app_.state;
  FileSystem& files = app_.platform.files;
  Step([&] { SaveINI(files, "BackupItem", result.itemFlags, st.InfoRecordPath); });
  Step([&] { files.SetNormalAttributes(st.InfoRecordPath); });
  Step([&] { app_.zip.AddFileAs(st.InfoRecordPath, archive::kRecordEntry); });
}

void BackupJob::Write(CheckedArchiveWrite& checked, BackupResult& result) {
  ZipComponent& zip = app_.zip;
  zip.WritePassword = request_.password;
  zip.EncryptArchive = request_.password.empty() ? 0 : 1;
  if (!request_.unattended) sink_.Progress(100 - 4);
  bool written = false;
  Step([&] { written = zip.WriteArchive(); });
  if (!request_.unattended) sink_.Pump();
  zip.CloseArchive();
  if (written && checked.Checking() && !request_.unattended) {
    sink_.Detail("Checking Backup File " + request_.target);
    sink_.Pump();
  }
  result.written = checked.Finish(written, zip.LastError(), request_.password);
  result.checkFailed = checked.CheckFailed();
  if (!result.written) result.writeError = result.checkFailed ? checked.CheckError() : checked.WriteError();
  Step([&] { DeleteWorkFiles(app_.platform.files, app_.state); });
}

void BackupJob::Finish(const BackupResult& result) {
  const std::string& profile = request_.profile;
  const std::string& target = request_.target;
  const char* failure = result.checkFailed ? " failed its check: " : " could not be written: ";
  if (request_.unattended) {
    if (!result.written) sink_.Log(Now() + " Automatic Backup File " + target + failure + result.writeError + "\n");
    return;
  }
  if (result.written) {
    sink_.Log(Now() + " Backup Profile " + profile + " Data was Completed!" + "\r");
    return;
  }
  // A failed write must never read as a finished backup.
  sink_.Log(Now() + " Backup File " + target + failure + result.writeError + "\n");
  sink_.Log(Now() + " Backup Profile " + profile + " Data was not Completed!" + "\r");
}

bool BackupJob::Collect(ItemId item) {
  const std::string& profile = request_.profile;
  switch (item) {
    case ItemId::Config: return BackupConfig(profile);
    case ItemId::Datas: return BackupDatas(profile);
    case ItemId::Rules: return BackupRules(profile);
    case ItemId::Accounts: return BackupAccounts(profile);
    case ItemId::Signatures: return BackupSignatures();
    case ItemId::Stationery: return BackupStationery();
    case ItemId::Pab: return BackupPab(profile);
    case ItemId::Configsetting: return BackupConfigsetting();
    case ItemId::Templates: return BackupTemplates();
    case ItemId::Setting: return BackupSetting();
    case ItemId::Contacts: return BackupContacts();
  }
  return false;
}

std::string BackupSummary(const BackupResult& result) {
  std::string summary;
  for (const ItemResult& item : result.items) {
    const ItemRow& row = Row(item.item);
    if (!item.chosen || !row.label) continue;
    summary += std::string("\r\nBackup ") + row.label + std::string(static_cast<std::size_t>(row.summaryTabs), '\t') +
               (item.ok ? "Succeeded!" : "Fail!") + "\t";
  }
  return summary;
}

RunMessage BackupMessage(FileSystem& files, const BackupRequest& request, const BackupResult& result) {
  const std::string summary = BackupSummary(result);
  if (result.written)
    return {std::string("The Backup was Completed!") + "\t\t\t" + "\r\n" + summary + NotesText(result.notes), false};
  std::string text = std::string(result.checkFailed ? "The Backup File failed its check and was not kept!"
                                                    : "The Backup File could not be written!") +
                     "\r\n" + result.writeError;
  if (files.FileExists(request.target)) text += "\r\nThe previous backup file was left as it was.";
  return {text + "\r\n" + summary + NotesText(result.notes), true};
}

bool AnyReportedFailure(const std::vector<ItemResult>& items) {
  for (const ItemResult& item : items)
    if (item.chosen && Row(item.item).label && !item.ok) return true;
  return false;
}

}  // namespace tarvo
