#include "jobs/run_events.h"

#include "core/item_table.h"
#include "jobs/restore_job.h"
#include "platform/system_error.h"

namespace tarvo {
namespace {

std::string Counts(int done, int failed, const char* verb) {
  return std::string("Items ") + verb + ": " + std::to_string(done) + ", failed: " + std::to_string(failed);
}

std::string Body(const std::string& headline, const std::string& profile, const std::string& archive,
                 const std::string& counts, const std::string& reason) {
  std::string text = headline + "\r\nProfile: " + profile + "\r\nBackup file: " + archive;
  if (!counts.empty()) text += "\r\n" + counts;
  if (!reason.empty()) text += "\r\nReason: " + reason;
  return text;
}

}  // namespace

AutoRunFacts BackupFacts(const BackupRequest& request, const BackupResult& result) {
  AutoRunFacts facts;
  facts.profile = request.profile;
  facts.archive = request.target;
  for (const ItemResult& item : result.items) facts.chosen += item.chosen ? '1' : '0';
  facts.flags = result.itemFlags;
  facts.kept = result.written;
  facts.checkFailed = result.checkFailed;
  facts.error = result.writeError;
  return facts;
}

RunEvent BackupEvent(const std::string& runName, const AutoRunFacts& facts) {
  const LastRun run = AutoRunOutcome(facts, nullptr, "", "");
  const std::string counts = Counts(run.done, run.failed, "backed up");
  const auto event = [&](EventType type, EventId id, const std::string& headline) {
    return RunEvent{type, id, Body(runName + headline, facts.profile, facts.archive, counts, run.reason)};
  };
  if (!facts.notRun.empty())
    return event(EventType::Error, kEventBackupNotWritten, ": the backup file was not written.");
  if (!facts.kept && facts.checkFailed)
    return event(EventType::Error, kEventBackupCheckFailed, ": the backup file failed its check and was not kept.");
  if (!facts.kept && SaysFileHeld(facts.error))
    return event(EventType::Error, kEventFilesHeld,
                 ": the backup file was not written, a file was held by another program.");
  if (!facts.kept) return event(EventType::Error, kEventBackupNotWritten, ": the backup file was not written.");
  if (run.failed > 0) return event(EventType::Warning, kEventBackupItemsFailed, " finished, but some items failed.");
  return event(EventType::Information, kEventBackupOk, " succeeded.");
}

RunEvent ProfileMissingEvent(const std::string& runName, const std::string& profile, const std::string& archive) {
  return {EventType::Error, kEventProfileMissing,
          Body(runName + ": the Outlook profile does not exist, nothing was backed up.", profile, archive, "",
               "this user has no Outlook profile named " + profile + " (renamed or deleted?)")};
}

RunEvent RestoreEvent(const std::string& archive, const std::string& profile, const RestoreResult& result) {
  int done = 0, failed = 0;
  std::string failedNames;
  for (const ItemResult& item : result.items) {
    const char* label = Row(item.item).label;
    if (!item.chosen || label == nullptr) continue;
    if (item.ok) {
      ++done;
    } else {
      ++failed;
      failedNames += (failedNames.empty() ? "" : ", ") + std::string(label);
    }
  }
  const std::string counts = Counts(done, failed, "restored");
  const std::string reason = failed ? "these items could not be restored: " + failedNames : "";
  if (failed == 0)
    return {EventType::Information, kEventRestoreOk, Body("Restore succeeded.", profile, archive, counts, "")};
  if (done > 0)
    return {EventType::Warning, kEventRestoreItemsFailed,
            Body("Restore finished, but some items failed.", profile, archive, counts, reason)};
  return {EventType::Error, kEventRestoreFailed, Body("Restore failed.", profile, archive, counts, reason)};
}

std::optional<RunEvent> NoRecentBackupEvent(const LastRun& run, const LocalTime& now) {
  const auto days = DaysWithoutSuccess(run, now);
  if (!days) return std::nullopt;
  const std::string last = run.lastSuccessTime.empty() ? "never" : run.lastSuccessTime;
  return RunEvent{EventType::Warning, kEventNoRecentBackup,
                  "No successful automatic backup for " + std::to_string(*days) + " days.\r\nProfile: " + run.profile +
                      "\r\nBackup file: " + run.archive + "\r\nLast success: " + last + "\r\nLast run: " + run.time +
                      (run.ok ? "" : ", failed: " + run.reason)};
}

void ReportRunEvent(App& app, const RunEvent& event) {
  if (app.events != nullptr) app.events->Report(event.type, event.id, event.text);
}

void ReportNoRecentBackup(App& app) {
  const auto run = ReadLastRun(app.platform.files, JoinPath(app.state.DataFolder, kLastRunFile));
  if (!run) return;
  if (const auto event = NoRecentBackupEvent(*run, app.platform.system.Now())) ReportRunEvent(app, *event);
}

void ReportNoRecentBackupAtStart(App& app) {
  const auto run = ReadLastRun(app.platform.files, JoinPath(app.state.DataFolder, kLastRunFile));
  if (!run) return;
  const LocalTime now = app.platform.system.Now();
  const auto warning = LastRunWarning(*run, now);
  if (!warning || warning->kind != "missed") return;
  if (const auto event = NoRecentBackupEvent(*run, now)) ReportRunEvent(app, *event);
}

}  // namespace tarvo
