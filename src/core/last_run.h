#pragma once
// The outcome of the last automatic backup, kept in "lastrun.dat" in the data folder, and
// what the main window makes of it: a warning once after a failed or missed run, and the
// first line of the Logs tab.
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/system_info.h"
#include "platform/ui.h"

namespace tarvo {

inline constexpr const char* kLastRunFile = "lastrun.dat";

struct LastRun {
  std::string time;   // general date, for people
  std::string stamp;  // "YYYY-MM-DD HH:MM", for reckoning
  std::string profile, archive;
  int done = 0, failed = 0;  // chosen items backed up and not
  bool ok = false;
  std::string reason;  // why the run failed; one line
  std::string lastSuccessTime, lastSuccessStamp;
  std::string noticed;  // the warning already shown for this outcome: "", "failed" or "missed"
};

std::string Stamp(const LocalTime& t);
// Minutes since 1970-01-01 of a stamp; nullopt when it is not one.
std::optional<long long> StampMinutes(const std::string& stamp);

// nullopt when the file is missing or holds no run.
std::optional<LastRun> ReadLastRun(FileSystem& files, const std::string& file);
// Replaces the file. Throws RecordError when it cannot be written.
void WriteLastRun(FileSystem& files, const std::string& file, const LastRun& run);

// The weekly task plus a day's grace.
inline constexpr long long kMissedAfterMinutes = 8LL * 24 * 60;

struct RunWarning {
  std::string kind;  // what goes into LastRun::noticed once shown
  std::string text;
};
// Whole days since the last successful automatic backup (or since the first recorded run,
// when none has succeeded) once that is longer than kMissedAfterMinutes; nullopt before.
std::optional<long long> DaysWithoutSuccess(const LastRun& run, const LocalTime& now);

// The warning to show at an interactive start, once per failed run and once per missed
// week: nullopt when there is nothing new to say.
std::optional<RunWarning> LastRunWarning(const LastRun& run, const LocalTime& now);

// At an interactive start: shows the warning, if any, and notes in the file that it was
// shown, so that it is shown once.
void ShowLastRunWarning(FileSystem& files, Ui& ui, const std::string& file, const LocalTime& now);

// The Logs tab's first line.
std::string LastRunLogLine(const LastRun& run);

}  // namespace tarvo
