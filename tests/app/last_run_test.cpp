#include "core/last_run.h"

#include <gtest/gtest.h>

#include "support/test_platform.h"

namespace tarvo {
namespace {

TEST(LastRunWarning, FailedRunsAreToldOnceAndAWeekWithoutSuccessOnceMore) {
  struct Case {
    const char* name;
    bool ok;
    const char* stamp;        // the last run
    const char* lastSuccess;  // "" when none ever
    const char* noticed;
    LocalTime now;
    const char* kind;  // "" for no warning
  };
  const Case cases[] = {
      {"fresh success", true, "2026-01-02 08:00", "2026-01-02 08:00", "", {2026, 1, 9, 8, 0, 0}, ""},
      {"success 8 days and a minute ago", true, "2026-01-02 08:00", "2026-01-02 08:00", "", {2026, 1, 10, 8, 1, 0},
       "missed"},
      {"missed across the year", true, "2025-12-30 08:00", "2025-12-30 08:00", "", {2026, 1, 8, 9, 0, 0}, "missed"},
      {"missed already told", true, "2025-12-30 08:00", "2025-12-30 08:00", "missed", {2026, 3, 1, 9, 0, 0}, ""},
      {"failed just now", false, "2026-01-02 08:00", "2026-01-01 08:00", "", {2026, 1, 2, 8, 1, 0}, "failed"},
      {"failed, told", false, "2026-01-02 08:00", "2026-01-01 08:00", "failed", {2026, 1, 5, 8, 0, 0}, ""},
      {"failed, told, then a week more", false, "2026-01-02 08:00", "2026-01-01 08:00", "failed",
       {2026, 1, 10, 8, 0, 0}, "missed"},
      {"never succeeded, failed 2 days ago", false, "2026-01-02 08:00", "", "failed", {2026, 1, 4, 8, 0, 0}, ""},
      {"never succeeded, failed 9 days ago", false, "2026-01-02 08:00", "", "failed", {2026, 1, 11, 8, 0, 0},
       "missed"},
  };
  for (const Case& c : cases) {
    LastRun run;
    run.ok = c.ok;
    run.time = "the run's time";
    run.stamp = c.stamp;
    run.lastSuccessStamp = c.lastSuccess;
    run.lastSuccessTime = *c.lastSuccess ? "the success's time" : "";
    run.noticed = c.noticed;
    run.reason = "the backup file could not be written: Cannot read C:\\Mail\\Outlook.pst";
    const auto warning = LastRunWarning(run, c.now);
    EXPECT_EQ(warning ? warning->kind : "", c.kind) << c.name;
    if (warning && warning->kind == "failed") {
      EXPECT_NE(warning->text.find("Reason: " + run.reason), std::string::npos);
    }
    if (warning && warning->kind == "missed") {
      const char* says = *c.lastSuccess ? "made on the success's time" : "No automatic backup has succeeded since";
      EXPECT_NE(warning->text.find(says), std::string::npos) << warning->text;
    }
  }
}

TEST(LastRunFile, ReadsBackWhatWasWrittenWithLineBreaksFlattened) {
  TestPlatform tp;
  const std::string file = tp.system.programFolder + "\\lastrun.dat";
  EXPECT_FALSE(ReadLastRun(tp.drive.fs(), file));
  LastRun run;
  run.time = "3/7/2024 1:05:09 PM";
  run.stamp = "2024-03-07 13:05";
  run.profile = "Home=Office";
  run.archive = "C:\\Backup\\a.tvo";
  run.done = 2;
  run.failed = 1;
  run.reason = "first\r\nsecond";
  run.noticed = "failed";
  WriteLastRun(tp.drive.fs(), file, run);
  run.ok = true;
  run.reason.clear();
  WriteLastRun(tp.drive.fs(), file, run);  // replaces, never appends
  const auto back = ReadLastRun(tp.drive.fs(), file);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->ok);
  EXPECT_EQ(back->profile, "Home=Office");
  EXPECT_EQ(back->done, 2);
  EXPECT_EQ(back->failed, 1);
  EXPECT_EQ(back->reason, "");
  EXPECT_EQ(back->noticed, "failed");

  run.ok = false;
  run.reason = "first\r\nsecond";
  WriteLastRun(tp.drive.fs(), file, run);
  EXPECT_EQ(ReadLastRun(tp.drive.fs(), file)->reason, "first  second");
}

}  // namespace
}  // namespace tarvo
