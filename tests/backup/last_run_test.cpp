// A failed or missed automatic backup is told once at the next interactive start, and
// the Logs tab shows the last run first; the unattended run itself shows nothing.
#include "core/last_run.h"
#include "jobs/auto_backup_outcome.h"
#include "backup_fixture.h"

namespace tarvo {
namespace {

class LastRunTest : public BackupFixture {
 protected:
  const std::string plain = "C:\\Backup\\mvbox-Outlook.tvo";
  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "sig");
    SetString(profileKey(), "Profile", "yes");
    SetString(app.state.loc.AccountsKey + "\\00000001", "Account Name", "anna");
    Setting("autobackup", "autobackupfile", "0");
  }
  void AutoRun(bool fail) {
    app.state.CommandLine = " sf=Outlookxm=011000000ps=bf=" + plain;
    hookUi.onPump = [this, fail] {
      // As a file held open by Outlook: gone for the reader when the archive is written.
      if (fail && frm.SkinLabel9.caption == "Adding File mailvault.dat")
        tp.drive.fs().DeleteFile(app.state.loc.SignaturesPath + "\\Work.htm");
    };
    frm.RunAutoBackup();
    EXPECT_TRUE(tp.ui.messages.empty()) << "the unattended run showed " << tp.ui.messages.front().text;
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "sig");
    hookUi.onPump = nullptr;
  }
  // An interactive start: the warnings it showed.
  std::vector<ShownMessage> Start() {
    tp.ui.messages.clear();
    app.state.CommandLine.clear();
    frm.Form_Activate();
    return tp.ui.messages;
  }
  std::string FirstLogLine() {
    frm.SSTab1.tab = 2;
    frm.SSTab1_Click();
    return frm.List1.items.empty() ? std::string() : frm.List1.items.front();
  }
};

TEST_F(LastRunTest, AFailedRunIsToldOnceAndASuccessfulOneClearsIt) {
  EXPECT_TRUE(Start().empty());  // no automatic run yet: nothing to say
  AutoRun(true);

  auto shown = Start();
  ASSERT_EQ(shown.size(), 1u);
  const std::string& text = shown[0].text;
  EXPECT_EQ(shown[0].icon, MsgIcon::Warning);
  EXPECT_EQ(shown[0].caption, "Tarvo Outlook Backup");
  EXPECT_EQ(text.rfind("The last automatic backup failed.\r\n\r\nTime: 3/7/2024 1:05:09 PM\r\nProfile: Outlook\r\n"
                       "Backup file: " + plain + "\r\nItems backed up: 0, failed: 2\r\n"
                       "Reason: the backup file could not be written: Cannot read ",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("Work.htm"), std::string::npos) << text;
  EXPECT_NE(text.find("To fix it: close Outlook before the scheduled time"), std::string::npos);
  EXPECT_EQ(FirstLogLine().rfind("Last automatic backup 3/7/2024 1:05:09 PM: Fail! Profile Outlook, backup file " +
                                     plain + ", items backed up: 0, failed: 2. Reason: the backup file could not be "
                                             "written: ",
                                 0),
            0u)
      << FirstLogLine();
  EXPECT_TRUE(Start().empty()) << "told twice";

  tp.system.now.minute += 10;
  AutoRun(false);
  EXPECT_TRUE(Start().empty());
  EXPECT_EQ(FirstLogLine(), "Last automatic backup 3/7/2024 1:15:09 PM: Succeeded! Profile Outlook, backup file " +
                                plain + ", items backed up: 2, failed: 0");
  EXPECT_EQ(frm.List1.listIndex, static_cast<int>(frm.List1.items.size()) - 1);

  // Then the task stops running: a week and more later the window says so, once.
  tp.system.now = LocalTime{2024, 3, 15, 13, 16, 0};
  shown = Start();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text.rfind("No automatic backup has succeeded for more than a week.\r\n"
                                "The last successful automatic backup was made on 3/7/2024 1:15:09 PM.",
                                0),
            0u)
      << shown[0].text;
  EXPECT_TRUE(Start().empty());
}

TEST_F(LastRunTest, ItemsThatFailInsideAWrittenArchiveMakeTheRunAFailure) {
  // A profile without an accounts key: the archive is written without them.
  SetString(app.state.env.ProfilesKey + "\\Nobody", "Profile", "yes");
  app.state.CommandLine = " sf=Nobodyxm=011000000ps=bf=" + plain;
  frm.RunAutoBackup();
  const auto run = ReadLastRun(tp.drive.fs(), app.state.DataFolder + "\\lastrun.dat");
  ASSERT_TRUE(run);
  EXPECT_FALSE(run->ok);
  EXPECT_EQ(run->profile, "Nobody");
  EXPECT_EQ(run->done, 1);
  EXPECT_EQ(run->failed, 1);
  EXPECT_EQ(run->reason, "these items could not be backed up: Accounts Settings");
}

// A task whose profile was renamed wrote nothing; the next start says so and why.
TEST_F(LastRunTest, AMissingProfileIsToldAtTheNextStart) {
  app.state.CommandLine = " sf=Renamedxm=011000000ps=bf=" + plain;
  frm.RunAutoBackup();
  const auto shown = Start();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].text.find("Reason: this user has no Outlook profile named Renamed (renamed or deleted?)"),
            std::string::npos)
      << shown[0].text;
}

// Only the items the runs report count: the configuration and the rules travel with other
// items, and a profile without a rules file is no failed backup.
TEST(AutoRunOutcomeTest, CountsTheReportedItemsOnly) {
  struct Case {
    std::string chosen, flags;
    bool kept, ok;
    int done, failed;
  };
  const std::vector<Case> cases = {
      {"11100000000", "11000000000", true, true, 1, 0},   // data files, no rules file
      {"11100000000", "10100000000", true, false, 0, 1},  // data files missing
      {"10010000000", "10000000000", true, false, 0, 1},  // accounts missing
      {"11110000000", "11110000000", false, false, 0, 2},  // archive not kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen + " " + c.flags);
    AutoRunFacts facts;
    facts.chosen = c.chosen;
    facts.flags = c.flags;
    facts.kept = c.kept;
    const LastRun run = AutoRunOutcome(facts, nullptr, "now", "1");
    EXPECT_EQ(run.ok, c.ok);
    EXPECT_EQ(run.done, c.done);
    EXPECT_EQ(run.failed, c.failed);
  }
}

}  // namespace
}  // namespace tarvo
