#include <algorithm>

#include "backup/backup_steps.h"
#include "backup_fixture.h"

namespace tarvo {
namespace {

TEST(AutoBackupArgs, FieldsAreTakenByOrderBetweenTheEqualSigns) {
  auto a = ParseAutoBackupArgs(" sf=Outlookxm=100000000ps=bf=C:\\b\\x.tvo");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->profile, "Outlook");
  EXPECT_EQ(a->mask, "100000000");
  EXPECT_EQ(a->password, "");
  EXPECT_EQ(a->archive, "C:\\b\\x.tvo");

  a = ParseAutoBackupArgs(" sf=My Mailxm=001000000ps=p4ssbf=D:\\Backup Folder\\mvbox-My Mail.tvo");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->profile, "My Mail");
  EXPECT_EQ(a->password, "p4ss");
  EXPECT_EQ(a->archive, "D:\\Backup Folder\\mvbox-My Mail.tvo");

  // An "=" inside the profile shifts every later field by one piece.
  a = ParseAutoBackupArgs(" sf=Out=lookxm=100000000ps=pwbf=C:\\x.tvo");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->profile, "O");
  EXPECT_EQ(a->mask, "look");
  EXPECT_EQ(a->password, "100000000");
  EXPECT_EQ(a->archive, "pw");
}

TEST(AutoBackupArgs, MalformedTextGivesNothing) {
  for (const char* text : {"", "   ", " sf=Outlookxm=100000000ps=", " sf=xm=100000000ps=bf=C:\\x.tvo",
                           " sf=Outlookxm=ps=bf=C:\\x.tvo", " sf=Outlookxm=100000000ps=bf="}) {
    EXPECT_FALSE(ParseAutoBackupArgs(text)) << "[" << text << "]";
  }
}

TEST(AutoBackupArgs, DatedNameReplacesTheLastFourCharacters) {
  const LocalTime t{2026, 12, 6, 9, 30, 0};
  EXPECT_EQ(DatedArchiveName("C:\\Backup\\mvbox-Outlook.tvo", t), "C:\\Backup\\mvbox-Outlook-12-06-2026-09-30.tvo");
  EXPECT_EQ(DatedArchiveName("C:\\Backup\\noext", t), "C:\\Backup\\n-12-06-2026-09-30.tvo");
}

class AutoBackupTest : public BackupFixture {
 protected:
  const std::string plain = "C:\\Backup\\mvbox-Outlook.tvo";
  const std::string dated = "C:\\Backup\\mvbox-Outlook-03-07-2024-13-05.tvo";
  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    SetString(profileKey(), "Profile", "yes");
    tp.drive.Put("C:\\Mail\\Outlook.pst", "pst");
    SeedDataFile("0a0d", "C:\\Mail\\Outlook.pst");
    tp.drive.Put(app.state.loc.RulesPath + "\\Outlook.RWZ", "rules");
    SetString(app.state.loc.AccountsKey + "\\00000001", "Account Name", "anna");
    tp.drive.Put("C:\\Mail\\anna.pab", "pab");
    SetString(profileKey() + "\\5a1c", "001e6600", "C:\\Mail\\anna.pab");
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "sig");
  }
  void Run(const std::string& mask, const std::string& password = "") {
    app.state.CommandLine = " sf=Outlookxm=" + mask + "ps=" + password + "bf=" + plain;
    frm.RunAutoBackup();
  }
};

TEST_F(AutoBackupTest, PlainNameReplacesTheOldArchiveWithoutPassword) {
  Setting("autobackup", "autobackupfile", "0");
  tp.drive.Put(plain, "old archive");
  Run("100000000");
  EXPECT_EQ(RecordLines(plain).back(), "BackupItem=11100000000");
  EXPECT_EQ(app.zip.IsEncrypted(plain), 0);
  const auto record = RecordLines(plain);
  ASSERT_EQ(record.size(), 10u);
  EXPECT_EQ(record[5], "BackupInformation=Automatic Backup");
  EXPECT_EQ(record[7], "BackupDatas=Outlook.pst");
  EXPECT_EQ(record[8], "BackupRules=Outlook.RWZ");
  EXPECT_EQ(record[9], "BackupItem=11100000000");
  // Nothing shown, nothing logged, no work file left.
  EXPECT_TRUE(tp.ui.messages.empty());
  EXPECT_EQ(LogText(), "");
  auto left = *tp.drive.fs().ListFiles(app.state.DataFolder);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"lastrun.dat", "settings.dat"}));
}

TEST_F(AutoBackupTest, DatedNameIsWrittenAndThePlainPathRemovedAfterwards) {
  tp.drive.Put(plain, "old archive");
  Run("001000000");  // no "autobackupfile" line reads as on
  EXPECT_FALSE(tp.drive.fs().FileExists(plain));
  EXPECT_EQ(app.state.loc.TargetFile, dated);
  EXPECT_EQ(EntryNames(dated), (std::vector<std::string>{"Work.htm", "mailvault.dat"}));
}

TEST_F(AutoBackupTest, MaskPositionsTwoAndFiveBringTheProfileConfiguration) {
  Setting("autobackup", "autobackupfile", "0");
  Run("010000000");
  EXPECT_EQ(RecordLines(plain).back(), "BackupItem=10010000000");
  Run("000010000");
  EXPECT_EQ(RecordLines(plain).back(), "BackupItem=10000010000");
}

TEST_F(AutoBackupTest, AccountsComeFromTheProfileNamedInTheTask) {
  Setting("autobackup", "autobackupfile", "0");
  const std::string work = app.state.env.ProfilesKey + "\\Work";
  SetString(work, "Profile", "yes");
  SetString(work + "\\9375CFF0413111d3B88A00104B2A6676\\00000002", "Account Name", "work@example.com");
  // The hidden window shows the first profile, Outlook.
  app.state.CommandLine = " sf=Workxm=010000000ps=bf=" + plain;
  frm.RunAutoBackup();
  EXPECT_EQ(RecordLines(plain).back(), "BackupItem=10010000000");
  const auto record = RecordLines(plain);
  ASSERT_EQ(record.size(), 9u);
  EXPECT_EQ(record[2], "BackupIdentity=Work");
  ZipComponent zip(tp.drive.fs());
  ASSERT_TRUE(zip.OpenArchive(plain));
  tp.drive.MakeFolder("C:\\out");
  const std::string accounts = record[7].substr(record[7].find('=') + 1);
  ASSERT_TRUE(zip.ExtractTo(*zip.GetEntry(accounts), "C:\\out"));
  const std::string exported = tp.drive.Get("C:\\out\\" + accounts);
  EXPECT_NE(exported.find("work@example.com"), std::string::npos);
  EXPECT_EQ(exported.find("anna"), std::string::npos);
}

TEST_F(AutoBackupTest, PasswordAfterPsProtectsTheArchive) {
  Setting("autobackup", "autobackupfile", "0");
  Run("001000000", "Pa55");
  EXPECT_EQ(app.zip.IsEncrypted(plain), 1);
  EXPECT_EQ(RecordLines(plain, "Pa55").back(), "BackupItem=00001000000");
}

TEST_F(AutoBackupTest, MalformedCommandLineTouchesNothing) {
  tp.drive.Put(plain, "old archive");
  tp.drive.Put(app.state.InfoRecordPath, "stale");
  app.state.CommandLine = " sf=Outlookxm=ps=bf=" + plain;
  frm.RunAutoBackup();
  EXPECT_EQ(tp.drive.Get(plain), "old archive");
  EXPECT_EQ(tp.drive.Get(app.state.InfoRecordPath), "stale");
  EXPECT_EQ(tp.drive.fs().ListFiles("C:\\Backup")->size(), 1u);
}

TEST_F(AutoBackupTest, MissingProfileWritesNothingKeepsTheArchiveAndSaysWhy) {
  for (const char* dated : {"0", "1"}) {
    Setting("autobackup", "autobackupfile", dated);
    tp.drive.Put(plain, "old archive");
    tp.drive.Put(app.state.LogFile, "");
    app.state.CommandLine = " sf=Renamedxm=111111111ps=bf=" + plain;
    frm.RunAutoBackup();
    EXPECT_EQ(tp.drive.Get(plain), "old archive");
    EXPECT_EQ(tp.drive.fs().ListFiles("C:\\Backup")->size(), 1u);
    EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
    EXPECT_EQ(LogText(), "3/7/2024 1:05:09 PM Automatic Backup of profile Renamed was not done: this user has no "
                         "Outlook profile of that name (renamed or deleted?). Nothing was written; the backup file " +
                             plain + " was left as it was. Schedule the backup again for an existing profile.\n\r\n");
  }
  // Profile names match as the registry matches them: without regard to case.
  Setting("autobackup", "autobackupfile", "0");
  app.state.CommandLine = " sf=OUTLOOKxm=001000000ps=bf=" + plain;
  frm.RunAutoBackup();
  EXPECT_EQ(EntryNames(plain), (std::vector<std::string>{"Work.htm", "mailvault.dat"}));
}

// Nobody watches the automatic run: it closes Outlook only when the user chose so, never by
// force, starts again what it closed, and logs an Outlook that would not close.
TEST_F(AutoBackupTest, ClosesOutlookOnlyWhenChosenAndNeverByForce) {
  using B = FakeProcesses::Behaviour;
  const struct {
    const char* stored;  // "closeoutlook"
    std::vector<std::uint32_t> asked, terminated;
    bool startedAgain;
    bool loggedStillRunning;
  } cases[] = {{nullptr, {}, {}, false, false}, {"0", {}, {}, false, false}, {"1", {21, 22}, {}, true, true}};
  Setting("backup", "autocloseoutlook", "1");  // the window's choice; not the task's
  Setting("backup", "closeoutlookwait", "1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    if (c.stored) Setting("autobackup", "closeoutlook", c.stored);
    tp.drive.fs().DeleteFile(app.state.LogFile);
    tp.shell.calls.clear();
    tp.processes = FakeProcesses{};
    tp.processes.entries = {{21, "OUTLOOK.EXE"}, {22, "OUTLOOK.EXE"}};
    tp.processes.behaviour[21] = B{true, true, 2, "\"C:\\Office\\OUTLOOK.EXE\""};
    tp.processes.behaviour[22] = B{true, true, -1, "\"C:\\Office\\OUTLOOK.EXE\" /select"};
    Run("001000000");
    EXPECT_EQ(tp.processes.asked, c.asked);
    EXPECT_EQ(tp.processes.terminated, c.terminated);
    ASSERT_TRUE(tp.drive.fs().FileExists(dated));
    EXPECT_EQ(tp.shell.calls.size(), c.startedAgain ? 1u : 0u);
    if (c.startedAgain) {
      EXPECT_EQ(tp.shell.calls[0].commandLine, "\"C:\\Office\\OUTLOOK.EXE\"");
    }
    EXPECT_EQ(LogText().find(" Outlook is still running: OUTLOOK.EXE (process 22)\n") != std::string::npos,
              c.loggedStillRunning)
        << LogText();
  }
}

TEST_F(AutoBackupTest, FailedWriteKeepsThePlainArchiveAndIsLogged) {
  tp.drive.Put(plain, "old archive");
  hookUi.onPump = [this] {
    if (frm.SkinLabel9.caption == "Adding File mailvault.dat")
      tp.drive.fs().DeleteFile(app.state.loc.SignaturesPath + "\\Work.htm");
  };
  Run("001000000");
  EXPECT_EQ(tp.drive.Get(plain), "old archive");
  EXPECT_FALSE(tp.drive.fs().FileExists(dated));
  EXPECT_EQ(tp.drive.fs().ListFiles("C:\\Backup")->size(), 1u);
  EXPECT_EQ(LogText().rfind("3/7/2024 1:05:09 PM Automatic Backup File " + dated + " could not be written: ", 0), 0u)
      << LogText();
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
}

}  // namespace
}  // namespace tarvo
