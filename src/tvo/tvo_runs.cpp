// The Windows commands of `tvo`: backup and restore, run by the same jobs as the window.
#include "backup/archive_record.h"
#include "backup/run_guard.h"
#include "core/item_table.h"
#include "core/settings.h"
#include "jobs/backup_job.h"
#include "jobs/restore_job.h"
#include "jobs/run_events.h"
#include "jobs/run_log.h"
#include "jobs/start_up.h"
#include "outlook/item_locations.h"
#include "platform/text.h"
#include "tvo/tvo_tool.h"

namespace tarvo {
namespace {

constexpr const char* kRunName = "tvo backup";

bool KnownProfile(const OutlookEnv& env, const std::string& profile) {
  for (const auto& p : env.ProfileList)
    if (!p.empty() && UpperAscii(p) == UpperAscii(profile)) return true;
  return false;
}

void Show(Ui& ui, const char* text, bool critical) {
  ui.MessageBox(text, kAppTitle, MsgButtons::Ok, critical ? MsgIcon::Critical : MsgIcon::Warning);
}

}  // namespace

// The program's own start-up, as the window does it, then the profile check.
bool TvoTool::StartUp(const std::string& profile) {
  PrepareFolders(app_);
  DiscoverOutlookEnvironment(app_);
  if (!UseProfiles(app_))
    host_.platform.ui.MessageBox(kNoOutlookMessage, kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
  if (KnownProfile(app_.state.env, profile)) return true;
  Fail(kTvoUsage, "no Outlook profile \"" + profile + "\"");
  return false;
}

// The boxes named by --items; "all" takes every available box.
bool TvoTool::ChooseItems(const std::array<bool, 9>& available, const std::string& list, std::array<bool, 9>& chosen) {
  if (list == "all") {
    chosen = available;
    return true;
  }
  std::string rest = list;
  for (auto& c : rest)
    if (c == ',') c = ';';
  for (const auto& name : archive::SplitEntryList(rest)) {
    const ItemRow* row = RowByTvoName(name);
    if (!row || row->box < 0) return Fail(kTvoUsage, "unknown item \"" + name + "\""), false;
    const auto box = static_cast<std::size_t>(row->box);
    if (!available[box]) return Fail(kTvoUsage, "item \"" + name + "\" is not available here"), false;
    chosen[box] = true;
  }
  return true;
}

int TvoTool::Restore(const TvoCommand& cmd) {
  if (!host_.windowsRuns) return Fail(kTvoUsage, "restore needs Windows and its registry");
  const std::string& profile = cmd.options.at("--profile");
  if (!StartUp(profile)) return kTvoUsage;
  if (!Open()) return kTvoFailed;
  std::array<bool, 9> available{};
  for (const ItemRow& row : kItems)
    if (row.box >= 0) available[static_cast<std::size_t>(row.box)] = archive::ItemPresent(app_.state.ItemFlags, row.position);
  RestoreRequest request{profile, {}};
  if (!ChooseItems(available, cmd.options.at("--items"), request.boxes)) return kTvoUsage;
  Ui& ui = host_.platform.ui;
  if (const Refusal* refusal = RefuseRestore(app_.state, request)) {
    Show(ui, refusal->text, refusal->critical);
    return kTvoOk;
  }
  RunLogSink sink(app_);
  const RestoreResult result = RestoreJob(app_, request, sink).Run();
  ReportRunEvent(app_, RestoreEvent(app_.state.SourceArchive, profile, result));
  ui.MessageBox(RestoreMessage(result), kAppTitle, MsgButtons::Ok, MsgIcon::Information);
  if (ReadFlag(files(), app_.state.SettingsFile, "General", "runoutlookafterrestore")) StartOutlookAfterwards(app_);
  return AnyReportedFailure(result.items) ? kTvoFailed : kTvoOk;
}

int TvoTool::Backup(const TvoCommand& cmd) {
  if (!host_.windowsRuns) return Fail(kTvoUsage, "backup needs Windows and its registry");
  const std::string& profile = cmd.options.at("--profile");
  if (!StartUp(profile)) return kTvoUsage;
  AppState& st = app_.state;
  const ItemSourceInputs in{app_.reg, files(), host_.platform.system, st.env, st.SettingsFile, st.DataFolder};
  const SourceChoice choice = ChooseSourceProfile(in, profile, st.loc, SourceMode::MainWindow);
  BackupRequest request;
  request.profile = profile;
  if (!ChooseItems(choice.available, cmd.options.at("--items"), request.boxes)) return kTvoUsage;
  request.target = st.loc.TargetFile = archive_;
  request.password = password_.value_or("");
  if (cmd.options.count("--note")) request.note = cmd.options.at("--note");

  Ui& ui = host_.platform.ui;
  if (const Refusal* refusal = RefuseBackup(request)) {
    Show(ui, refusal->text, refusal->critical);
  } else if (password_ && password_->empty()) {
    Show(ui, "Please enter Password!", true);  // an empty password file protects nothing
  } else {
    RunLogSink sink(app_);
    const auto lock = LockBackupTarget(app_, request.target, kWindowRunLockWaitMs, "Backup", sink);
    if (!lock) {
      AutoRunFacts facts = BackupFacts(request, {});
      facts.notRun = "another backup onto the same file was still running";
      ReportRunEvent(app_, BackupEvent(kRunName, facts));
      ui.MessageBox(BusyArchiveMessage(request.target), kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
      return kTvoFailed;
    }
    RemoveLeftoversOfKilledRuns(files(), request.target, app_.state.DataFolder);
    const BackupResult result = BackupJob(app_, request, sink).Run();
    ReportRunEvent(app_, BackupEvent(kRunName, BackupFacts(request, result)));
    const RunMessage message = BackupMessage(files(), request, result);
    ui.MessageBox(message.text, kAppTitle, MsgButtons::Ok, message.critical ? MsgIcon::Critical : MsgIcon::Information);
    // No window in a console tool: the user who asked for a disc is told how to make one.
    app_.showDiscWindow = [this] {
      err_ << "tvo: the disc window does not open from tvo; write the archive to a disc image with"
              " \"tvo disc-image\" instead\n";
      app_.state.BurnFileName.clear();
      app_.state.BurnFilePath.clear();
    };
    RunAfterBackupActions(app_, archive_, result.outlook);
    if (!result.written) return Fail(kTvoFailed, "the archive could not be written");
    if (AnyReportedFailure(result.items)) return kTvoFailed;
  }
  if (!files().FileExists(archive_)) return Fail(kTvoFailed, "no archive was written");
  return kTvoOk;
}

}  // namespace tarvo
