#include "jobs/auto_backup_outcome.h"

#include "core/item_table.h"
#include "core/record.h"
#include "core/settings.h"
#include "backup/retention.h"

namespace tarvo {

LastRun AutoRunOutcome(const AutoRunFacts& facts, const LastRun* previous, const std::string& time,
                       const std::string& stamp) {
  LastRun run;
  run.time = time;
  run.stamp = stamp;
  run.profile = facts.profile;
  run.archive = facts.archive;
  std::string failedNames;
  // The items as the runs report them: the configuration and the rules go along with other
  // items and have no label, since a profile without a rules file is no failed backup.
  for (std::size_t i = 0; i < facts.chosen.size() && i < kItems.size(); ++i) {
    const char* name = kItems[i].label;
    if (facts.chosen[i] != '1' || name == nullptr) continue;
    if (i < facts.flags.size() && facts.flags[i] == '1') {
      ++run.done;
    } else {
      ++run.failed;
      failedNames += (failedNames.empty() ? "" : ", ") + std::string(name);
    }
  }
  if (!facts.notRun.empty()) {
    run.reason = facts.notRun;
  } else if (!facts.kept) {
    // Without an archive nothing chosen was backed up.
    run.failed += run.done;
    run.done = 0;
    run.reason = (facts.checkFailed ? "the backup file failed its check: " : "the backup file could not be written: ") +
                 facts.error;
  } else if (run.failed > 0) {
    run.reason = "these items could not be backed up: " + failedNames;
  }
  run.ok = run.reason.empty();
  if (run.ok) {
    run.lastSuccessTime = time;
    run.lastSuccessStamp = stamp;
  } else if (previous != nullptr) {
    run.lastSuccessTime = previous->lastSuccessTime;
    run.lastSuccessStamp = previous->lastSuccessStamp;
  }
  return run;
}

void RecordAutoRun(App& app, const AutoRunFacts& facts) {
  FileSystem& files = app.platform.files;
  SystemInfo& sys = app.platform.system;
  const LocalTime now = sys.Now();
  const std::string file = JoinPath(app.state.DataFolder, kLastRunFile);
  const auto previous = ReadLastRun(files, file);
  const LastRun run = AutoRunOutcome(facts, previous ? &*previous : nullptr, sys.GeneralDate(now), Stamp(now));
  try {
    WriteLastRun(files, file, run);
  } catch (const RecordError&) {
    AppendLogLine(files, app.state.LogFile,
                  sys.GeneralDate(now) + " Automatic Backup could not record its outcome in " + file + "\n");
  }
}

void PruneAfterAutoRun(App& app, const std::string& plain) {
  FileSystem& files = app.platform.files;
  const std::string& settings = app.state.SettingsFile;
  if (app.state.loc.TargetFile == plain) return;  // dated names are off
  const int keep = KeepDatedFromSetting(ReadSetting(files, settings, "autobackup", kKeepDatedKey));
  const std::string now = app.platform.system.GeneralDate(app.platform.system.Now());
  for (const std::string& entry : PruneDatedArchives(files, plain, app.state.loc.TargetFile, keep, now))
    AppendLogLine(files, app.state.LogFile, entry);
}

}  // namespace tarvo
