// It shows nothing and asks nothing; only a missing profile, a failed archive write and
// skipped files reach the log, since nobody else would learn of them. Every run leaves one
// event in the system's event log for whoever monitors the PC.
#include "jobs/auto_backup.h"

#include <string>

#include "backup/backup_steps.h"
#include "backup/profile_check.h"
#include "backup/run_guard.h"
#include "backup/work_files.h"
#include "core/settings.h"
#include "jobs/auto_backup_outcome.h"
#include "jobs/backup_job.h"
#include "jobs/run_events.h"
#include "outlook/item_locations.h"

namespace tarvo {

namespace {

// The backup the task's command line asks for; the target is dated when the settings say so.
BackupRequest RequestFor(App& app, const AutoBackupArgs& args) {
  BackupRequest request;
  request.profile = args.profile;
  for (std::size_t box = 0; box < request.boxes.size(); ++box)
    request.boxes[box] = box < args.mask.size() && args.mask[box] == '1';
  request.password = args.password;
  request.note = "Automatic Backup";
  request.unattended = true;
  Step([&] { request.closeOutlookGently = CloseOutlookForAutoBackup(app.platform.files, app.state.SettingsFile); });
  // The plain archive path is removed only once the dated archive is complete.
  request.target = args.archive;
  Step([&] {
    if (ReadFlag(app.platform.files, app.state.SettingsFile, "autobackup", "autobackupfile"))
      request.target = DatedArchiveName(args.archive, app.platform.system.Now());
  });
  return request;
}

constexpr const char* kRunName = "Automatic backup";

// The run's own event, then the warning of a long stretch without success, which a failed
// run may have just lengthened.
void ReportEvents(App& app, const RunEvent& event) {
  Step([&] { ReportRunEvent(app, event); });
  Step([&] { ReportNoRecentBackup(app); });
}

}  // namespace

bool RunAutomaticBackup(App& app, JobSink& sink) {
  AppState& st = app.state;
  FileSystem& files = app.platform.files;
  SystemInfo& sys = app.platform.system;
  const auto args = ParseAutoBackupArgs(st.CommandLine);
  if (!args) return false;
  // A task outlives renamed and deleted profiles; its last good archive must outlive them too.
  // Both early ends are failures the next interactive start must tell.
  auto notRun = [&](const std::string& why, bool profileMissing) {
    AutoRunFacts facts;
    facts.profile = args->profile;
    facts.archive = args->archive;
    facts.notRun = why;
    RecordAutoRun(app, facts);
    ReportEvents(app, profileMissing ? ProfileMissingEvent(kRunName, args->profile, args->archive)
                                     : BackupEvent(kRunName, facts));
  };
  if (!ProfileExists(app.reg, st.env.ProfilesKey, args->profile)) {
    sink.Log(MissingProfileLogEntry(sys.GeneralDate(sys.Now()), args->profile, args->archive));
    notRun("this user has no Outlook profile named " + args->profile + " (renamed or deleted?)", true);
    return true;
  }
  const auto lock = LockBackupTarget(app, args->archive, kAutoRunLockWaitMs, "Automatic Backup", sink);
  if (!lock) {
    notRun("another backup onto the same file was still running", false);
    return true;
  }

  const BackupRequest request = RequestFor(app, *args);
  st.loc.TargetFile = request.target;
  if (request.target != args->archive) RemoveArchiveLeftovers(files, request.target);
  RemoveLeftoversOfKilledRuns(files, args->archive, st.DataFolder);
  sink.Pump();

  // The places of the profile named in the task, not of the one the hidden window shows:
  // otherwise a task for the second profile would carry the first one's accounts.
  Step([&] {
    if (st.env.UserProfilePath.empty()) st.env.UserProfilePath = sys.ExpandEnvironment("%UserProfile%");
    ComputeLocations(app.reg, st.env, args->profile, st.loc);
  });

  const BackupResult result = BackupJob(app, request, sink).Run();
  Step([&] { StartClosedOutlookAgain(app.platform.shell, result.outlook); });
  if (result.written) {
    Step([&] {
      if (request.target != args->archive && files.FileExists(args->archive)) files.DeleteFile(args->archive);
    });
    Step([&] { PruneAfterAutoRun(app, args->archive); });
  }
  std::string chosen;
  for (const ItemResult& item : result.items) chosen += item.chosen ? '1' : '0';
  const AutoRunFacts facts{args->profile, request.target, chosen, result.itemFlags, result.written,
                           result.checkFailed, result.writeError, ""};
  Step([&] { RecordAutoRun(app, facts); });
  ReportEvents(app, BackupEvent(kRunName, facts));
  return true;
}

}  // namespace tarvo
