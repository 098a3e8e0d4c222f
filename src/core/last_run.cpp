#include "core/last_run.h"

#include <cstdio>

#include "core/app_state.h"
#include "core/record.h"

namespace tarvo {
namespace {

constexpr const char* kFix =
    "To fix it: close Outlook before the scheduled time, make sure the backup folder exists and has free space, "
    "and that the profile named in Option > Task Scheduler still exists. Then press \"Backup Now\" to make a "
    "backup today.";

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

int Number(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (...) {
    return 0;
  }
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

std::string Details(const LastRun& run) {
  return "Time: " + run.time + "\r\nProfile: " + run.profile + "\r\nBackup file: " + run.archive +
         "\r\nItems backed up: " + std::to_string(run.done) + ", failed: " + std::to_string(run.failed);
}

}  // namespace

std::optional<long long> StampMinutes(const std::string& stamp) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  if (std::sscanf(stamp.c_str(), "%4d-%2d-%2d %2d:%2d", &y, &mo, &d, &h, &mi) != 5) return std::nullopt;
  return DaysFromCivil(y, mo, d) * 24 * 60 + h * 60 + mi;
}

std::string Stamp(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  return text;
}

std::optional<LastRun> ReadLastRun(FileSystem& files, const std::string& file) {
  if (!files.FileExists(file)) return std::nullopt;
  try {
    LastRun run;
    run.stamp = GetINI(files, "Stamp", file);
    if (run.stamp.empty()) return std::nullopt;
    run.time = GetINI(files, "Time", file);
    run.profile = GetINI(files, "Profile", file);
    run.archive = GetINI(files, "Archive", file);
    run.done = Number(GetINI(files, "Done", file));
    run.failed = Number(GetINI(files, "Failed", file));
    run.ok = GetINI(files, "Result", file) == "ok";
    run.reason = GetINI(files, "Reason", file);
    run.lastSuccessTime = GetINI(files, "LastSuccessTime", file);
    run.lastSuccessStamp = GetINI(files, "LastSuccessStamp", file);
    run.noticed = GetINI(files, "Noticed", file);
    return run;
  } catch (const RecordError&) {
    return std::nullopt;
  }
}

void WriteLastRun(FileSystem& files, const std::string& file, const LastRun& run) {
  if (files.FileExists(file) && !files.DeleteFile(file)) throw RecordError("cannot replace " + file);
  const std::pair<const char*, std::string> lines[] = {
      {"Time", run.time},
      {"Stamp", run.stamp},
      {"Profile", run.profile},
      {"Archive", run.archive},
      {"Done", std::to_string(run.done)},
      {"Failed", std::to_string(run.failed)},
      {"Result", run.ok ? "ok" : "failed"},
      {"Reason", run.reason},
      {"LastSuccessTime", run.lastSuccessTime},
      {"LastSuccessStamp", run.lastSuccessStamp},
      {"Noticed", run.noticed},
  };
  for (const auto& [key, value] : lines) SaveINI(files, key, OneLine(value), file);
}

std::optional<long long> DaysWithoutSuccess(const LastRun& run, const LocalTime& now) {
  const std::string& since = run.lastSuccessStamp.empty() ? run.stamp : run.lastSuccessStamp;
  const auto from = StampMinutes(since);
  const auto to = StampMinutes(Stamp(now));
  if (!from || !to || *to - *from <= kMissedAfterMinutes) return std::nullopt;
  return (*to - *from) / (24 * 60);
}

std::optional<RunWarning> LastRunWarning(const LastRun& run, const LocalTime& now) {
  if (!run.ok && run.noticed.empty()) {
    return RunWarning{"failed", "The last automatic backup failed.\r\n\r\n" + Details(run) + "\r\nReason: " +
                                    run.reason + "\r\n\r\n" + kFix};
  }
  if (!DaysWithoutSuccess(run, now) || run.noticed == "missed") return std::nullopt;
  const std::string last = run.lastSuccessTime.empty()
                               ? "No automatic backup has succeeded since the task was set up."
                               : "The last successful automatic backup was made on " + run.lastSuccessTime + ".";
  return RunWarning{"missed", "No automatic backup has succeeded for more than a week.\r\n" + last +
                                  "\r\nThe computer may have been off at the scheduled time, or the task was "
                                  "deleted.\r\n\r\n" +
                                  "To fix it: open Option > Task Scheduler and create the task again if it is "
                                  "gone, then press \"Backup Now\" to make a backup today."};
}

void ShowLastRunWarning(FileSystem& files, Ui& ui, const std::string& file, const LocalTime& now) {
  auto run = ReadLastRun(files, file);
  if (!run) return;
  const auto warning = LastRunWarning(*run, now);
  if (!warning) return;
  ui.MessageBox(warning->text, kAppTitle, MsgButtons::Ok, MsgIcon::Warning);
  run->noticed = warning->kind;
  try {
    WriteLastRun(files, file, *run);
  } catch (const RecordError&) {
    // Unwritable data folder: the warning comes again at the next start, which is the safe side.
  }
}

std::string LastRunLogLine(const LastRun& run) {
  std::string line = "Last automatic backup " + run.time + ": " + (run.ok ? "Succeeded!" : "Fail!") + " Profile " +
                     run.profile + ", backup file " + run.archive + ", items backed up: " + std::to_string(run.done) +
                     ", failed: " + std::to_string(run.failed);
  if (!run.ok) line += ". Reason: " + run.reason;
  return line;
}

}  // namespace tarvo
