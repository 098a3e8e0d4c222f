// Each automatic run leaves one event for the monitoring tools, with its fixed ID, type
// and the words an administrator needs; a long stretch without success adds a warning.
#include "core/last_run.h"
#include "jobs/run_events.h"
#include "backup_fixture.h"
#include "support/fake_event_log.h"

namespace tarvo {
namespace {

class RunEventsTest : public BackupFixture {
 protected:
  const std::string plain = "C:\\Backup\\mvbox-Outlook.tvo";
  FakeEventLog log;
  void SetUp() override {
    app.events = &log;
    tp.drive.MakeFolder("C:\\Backup");
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "sig");
    SetString(profileKey(), "Profile", "yes");
    SetString(app.state.loc.AccountsKey + "\\00000001", "Account Name", "anna");
    SetString(app.state.env.ProfilesKey + "\\Nobody", "Profile", "yes");  // no accounts key
    Setting("autobackup", "autobackupfile", "0");
  }
  void AutoRun(const std::string& profile, const std::string& password = "s3cretPw") {
    app.state.CommandLine = " sf=" + profile + "xm=011000000ps=" + password + "bf=" + plain;
    frm.RunAutoBackup();
  }
};

TEST_F(RunEventsTest, EachOutcomeHasItsIdTypeAndWords) {
  struct Case {
    const char* what;
    const char* profile;
    std::function<void()> arrange;
    EventId id;
    EventType type;
    std::vector<std::string> words;
  };
  const auto unreadableSignature = [this] {
    hookUi.onPump = [this] {
      if (frm.SkinLabel9.caption == "Adding File mailvault.dat")
        tp.drive.fs().DeleteFile(app.state.loc.SignaturesPath + "\\Work.htm");
    };
  };
  const auto damageBeforeCheck = [this] {
    Setting("General", "checkbackupfile", "1");
    app.beforeArchiveCheck = [this](const std::string& work) { tp.drive.fs().WriteAll(work, "PK broken"); };
  };
  const std::vector<Case> cases = {
      {"success", "Outlook", nullptr, kEventBackupOk, EventType::Information,
       {"Automatic backup succeeded.", "Profile: Outlook", "Backup file: " + plain, "backed up: 2, failed: 0"}},
      {"an item failed", "Nobody", nullptr, kEventBackupItemsFailed, EventType::Warning,
       {"some items failed", "Profile: Nobody", "backed up: 1, failed: 1", "Reason: these items could not be backed "
                                                                           "up: Accounts Settings"}},
      {"profile missing", "Renamed", nullptr, kEventProfileMissing, EventType::Error,
       {"profile does not exist", "Profile: Renamed", "no Outlook profile named Renamed"}},
      {"not written", "Outlook", unreadableSignature, kEventBackupNotWritten, EventType::Error,
       {"was not written", "backed up: 0, failed: 2", "Reason: the backup file could not be written: Cannot read",
        "Work.htm"}},
      {"check failed", "Outlook", damageBeforeCheck, kEventBackupCheckFailed, EventType::Error,
       {"failed its check and was not kept", "Reason: the backup file failed its check: "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log.events.clear();
    hookUi.onPump = nullptr;
    app.beforeArchiveCheck = nullptr;
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "sig");
    if (c.arrange) c.arrange();
    AutoRun(c.profile);
    ASSERT_EQ(log.events.size(), 1u);
    const LoggedEvent& e = log.events[0];
    EXPECT_EQ(e.id, static_cast<std::uint32_t>(c.id));
    EXPECT_EQ(e.type, c.type);
    for (const std::string& word : c.words) EXPECT_NE(e.text.find(word), std::string::npos) << word << "\n" << e.text;
    EXPECT_EQ(e.text.find("s3cretPw"), std::string::npos) << "the password reached the event log";
  }
  Setting("General", "checkbackupfile", "0");
}

// The start warning's rule: more than eight days since the last success.
TEST_F(RunEventsTest, AWeekAndMoreWithoutSuccessIsWarnedAfterEachFailedRunAndOnceAtAStart) {
  AutoRun("Outlook");
  ASSERT_EQ(log.events.size(), 1u);

  tp.system.now = LocalTime{2024, 3, 14, 13, 5, 0};  // seven days on: still fine
  AutoRun("Renamed");
  ASSERT_EQ(log.events.size(), 2u);
  EXPECT_EQ(log.events[1].id, static_cast<std::uint32_t>(kEventProfileMissing));

  tp.system.now = LocalTime{2024, 3, 17, 13, 5, 0};
  AutoRun("Renamed");
  ASSERT_EQ(log.events.size(), 4u);
  EXPECT_EQ(log.events[2].id, static_cast<std::uint32_t>(kEventProfileMissing));
  EXPECT_EQ(log.events[3].id, static_cast<std::uint32_t>(kEventNoRecentBackup));
  EXPECT_EQ(log.events[3].type, EventType::Warning);
  EXPECT_EQ(log.events[3].text.rfind("No successful automatic backup for 10 days.\r\nProfile: Renamed\r\n"
                                     "Backup file: " + plain + "\r\nLast success: 3/7/2024 1:05:09 PM",
                                     0),
            0u)
      << log.events[3].text;

  // Then the task is gone: interactive starts tell the monitoring once, with the window.
  log.events.clear();
  tp.system.now = LocalTime{2024, 3, 30, 9, 0, 0};
  app.state.CommandLine.clear();
  frm.Form_Activate();  // the failure's warning
  frm.Form_Activate();  // the missed weeks' warning
  frm.Form_Activate();  // nothing new
  ASSERT_EQ(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].id, static_cast<std::uint32_t>(kEventNoRecentBackup));
  EXPECT_NE(log.events[0].text.find("for 22 days"), std::string::npos) << log.events[0].text;
}

// The window's backup reports as the automatic one does, under its own name.
TEST_F(RunEventsTest, TheWindowsBackupReportsItsOutcome) {
  frm.cbSource.text = "Outlook";
  frm.cbSource_Click();
  for (CheckBox& box : frm.backupitem) box.value = 0;
  frm.backupitem[2].value = 1;  // signatures
  app.state.loc.TargetFile = plain;
  frm.RunBackup();
  ASSERT_EQ(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].id, static_cast<std::uint32_t>(kEventBackupOk));
  EXPECT_EQ(log.events[0].text.rfind("Backup succeeded.\r\nProfile: Outlook\r\n", 0), 0u) << log.events[0].text;
}

}  // namespace
}  // namespace tarvo
