#pragma once
// One backup: the information record, the chosen items' collectors and the archive
// write. The window, the automatic backup and `tvo backup` all run it.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/item_table.h"
#include "jobs/app.h"
#include "jobs/job_sink.h"
#include "jobs/outlook_closing.h"
#include "platform/run_lock.h"

namespace tarvo {

class CheckedArchiveWrite;


struct BackupRequest {
  std::string profile;
  std::array<bool, kBoxCount> boxes{};
  std::string target;    // the archive path
  std::string password;  // empty: not protected
  std::string note;      // "BackupInformation"
  // An unattended run logs only what nobody would learn otherwise: a failed write, skipped
  // files and Outlook it closed.
  bool unattended = false;
  // Unattended only: ask Outlook to close and wait, never ending it by force. The
  // interactive run follows "autocloseoutlook" and ends what is left after the wait.
  bool closeOutlookGently = false;
};

struct ItemResult {
  ItemId item;
  bool chosen = false;
  bool ok = false;
};

struct BackupResult {
  std::string itemFlags;  // "BackupItem" as written
  std::vector<ItemResult> items;
  bool written = false;     // the new archive is complete (and checked) and in place
  bool checkFailed = false;  // written, but "check backup file" found it unsound
  std::string writeError;    // why it was not written, or why the check failed
  OutlookClosing outlook;    // what closing Outlook before the run did
  std::vector<std::string> notes;  // what the backup does not protect (jobs/run_notes)
};

// Why a request cannot run, as the window says it; nullptr when it can.
struct Refusal {
  const char* text;
  bool critical;
};
const Refusal* RefuseBackup(const BackupRequest& request);

// The lock of runs writing target, held for the whole run. Without it (another run kept it
// past the wait: app.state.RunLockWaitMs, or defaultWaitMs when that is negative) the
// busy entry is logged and nullptr returned.
std::unique_ptr<RunLock> LockBackupTarget(App& app, const std::string& target, int defaultWaitMs,
                                          const std::string& runName, JobSink& sink);

class BackupJob {
 public:
  BackupJob(App& app, const BackupRequest& request, JobSink& sink);
  BackupResult Run();

  // The collectors, by item. The location set in app.state.loc must be the profile's.
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
  bool Collect(ItemId item);

 private:
  void Begin(BackupResult& result);
  void CloseOutlookFirst(BackupResult& result);
  void CollectItems(BackupResult& result);
  void AddRecord(const BackupResult& result);
  void Write(CheckedArchiveWrite& checked, BackupResult& result);
  void Finish(const BackupResult& result);
  std::string Now();

  App& app_;
  BackupRequest request_;
  JobSink& sink_;
  int progress_ = 0;
};

// The summary lines under "The Backup was Completed!": "\r\nBackup Signatures\t\tSucceeded!\t"...
std::string BackupSummary(const BackupResult& result);
// The window's closing message of a run, and whether it reads as an error.
struct RunMessage {
  std::string text;
  bool critical = false;
};
RunMessage BackupMessage(FileSystem& files, const BackupRequest& request, const BackupResult& result);
// True when any chosen and reported item failed.
bool AnyReportedFailure(const std::vector<ItemResult>& items);

// The settings' actions after an interactive backup: starting again the Outlook the run
// closed, the disc handover, starting Outlook and opening the archive's folder.
void RunAfterBackupActions(App& app, const std::string& target, const OutlookClosing& closed);
// Starts Outlook minimised from its App Paths folder, when that is known.
void StartOutlookAfterwards(App& app);

}  // namespace tarvo
