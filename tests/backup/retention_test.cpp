// Retention of dated automatic backups: the newest N stay, nothing the run did not name
// is touched.
#include <algorithm>

#include "core/settings.h"
#include "backup/retention.h"
#include "backup_fixture.h"

namespace tarvo {
namespace {

const std::vector<std::string> kStrangers = {
    "notes.txt",
    "mvbox-Outlook.tvo.bak",
    "mvbox-Outlook-old.tvo",
    "mvbox-Outlook-01-01-2020-00-00.tvo.bak",
    "mvbox-Outlook-13-01-2020-00-00.tvo",       // no month 13
    "mvbox-Outlook-1-01-2020-00-00.tvo",        // not the run's shape
    "mvbox-Outlook-Home-01-01-2020-00-00.tvo",  // another target's dated archive
    "xmvbox-Outlook-01-01-2020-00-00.tvo",
};

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class RetentionTest : public BackupFixture {
 protected:
  const std::string plain = "C:\\Backup\\mvbox-Outlook.tvo";
  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    for (const std::string& name : kStrangers) tp.drive.Put("C:\\Backup\\" + name, "not ours: " + name);
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "sig");
    Setting("autobackup", "autobackupfile", "1");
    SetString(profileKey(), "Profile", "yes");  // the task's profile exists
  }
  // Five automatic runs, a day apart, the first on 30 December 2025 (so the year turns).
  void FiveRuns() {
    app.state.CommandLine = " sf=Outlookxm=001000000ps=bf=" + plain;
    for (int day : {30, 31, 1, 2, 3}) {
      tp.system.now = LocalTime{day > 3 ? 2025 : 2026, day > 3 ? 12 : 1, day, 8, 15, 0};
      frm.RunAutoBackup();
    }
  }
  void ExpectStrangersUntouched() {
    for (const std::string& name : kStrangers) EXPECT_EQ(tp.drive.Get("C:\\Backup\\" + name), "not ours: " + name);
  }
};

TEST_F(RetentionTest, KeepsTheNewestNDatedArchivesOfTheTargetAndNothingElseIsTouched) {
  struct Case {
    const char* keep;
    std::vector<std::string> left;
  };
  const std::vector<std::string> all = {
      "mvbox-Outlook-12-30-2025-08-15.tvo", "mvbox-Outlook-12-31-2025-08-15.tvo", "mvbox-Outlook-01-01-2026-08-15.tvo",
      "mvbox-Outlook-01-02-2026-08-15.tvo", "mvbox-Outlook-01-03-2026-08-15.tvo"};
  const Case cases[] = {
      {"2", {all[3], all[4]}},
      {"1", {all[4]}},
      {"0", all},
      {"", all},
      {"-3", all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("keepdated=") + c.keep);
    for (const std::string& name : all) tp.drive.fs().DeleteFile("C:\\Backup\\" + name);
    Setting("autobackup", kKeepDatedKey, c.keep);
    FiveRuns();
    std::vector<std::string> expected = kStrangers;
    expected.insert(expected.end(), c.left.begin(), c.left.end());
    EXPECT_EQ(Sorted(*tp.drive.fs().ListFiles("C:\\Backup")), Sorted(expected));
    ExpectStrangersUntouched();
    for (const std::string& name : c.left) EXPECT_FALSE(EntryNames("C:\\Backup\\" + name).empty()) << name;
  }
  // Every removal is in the log.
  EXPECT_NE(LogText().find("1/3/2026 8:15:00 AM Automatic Backup removed the old backup file "
                           "C:\\Backup\\mvbox-Outlook-01-02-2026-08-15.tvo (keeping the newest 1)\n"),
            std::string::npos)
      << LogText();
}

TEST_F(RetentionTest, TheArchiveJustWrittenStaysWhenTheClockWentBack) {
  tp.drive.Put("C:\\Backup\\mvbox-Outlook-06-01-2030-00-00.tvo", "from a clock set ahead");
  Setting("autobackup", kKeepDatedKey, "1");
  app.state.CommandLine = " sf=Outlookxm=001000000ps=bf=" + plain;
  frm.RunAutoBackup();
  EXPECT_TRUE(tp.drive.fs().FileExists("C:\\Backup\\mvbox-Outlook-03-07-2024-13-05.tvo"));
  EXPECT_FALSE(tp.drive.fs().FileExists("C:\\Backup\\mvbox-Outlook-06-01-2030-00-00.tvo"));
}

TEST_F(RetentionTest, PlainNamesAreNeverPruned) {
  Setting("autobackup", "autobackupfile", "0");
  Setting("autobackup", kKeepDatedKey, "1");
  tp.drive.Put("C:\\Backup\\mvbox-Outlook-01-01-2020-00-00.tvo", "an earlier dated archive");
  app.state.CommandLine = " sf=Outlookxm=001000000ps=bf=" + plain;
  frm.RunAutoBackup();
  EXPECT_EQ(tp.drive.Get("C:\\Backup\\mvbox-Outlook-01-01-2020-00-00.tvo"), "an earlier dated archive");
  EXPECT_FALSE(EntryNames(plain).empty());
}

}  // namespace
}  // namespace tarvo
