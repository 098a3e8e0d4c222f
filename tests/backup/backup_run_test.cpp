#include <algorithm>
#include <map>

#include "backup_fixture.h"
#include "forms/frm_disc_write.h"

namespace tarvo {
namespace {

constexpr const char* kNow = "3/7/2024 1:05:09 PM";

class BackupRunTest : public BackupFixture {
 protected:
  const std::string target = "C:\\Backup\\mvbox-Outlook.tvo";
  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    for (const char* key : {"burndvd", "runoutlookafterbackup"}) Setting("General", key, "0");
    for (const char* key : {"autocloseoutlook", "openfolderbackup"}) Setting("Backup", key, "0");
    frm.cbSource.text = "Outlook";
    app.state.loc.TargetFile = target;
    frm.txtTargetFile.text = target;
    hookUi.onPump = [this] { shown.emplace(frm.SkinLabel9.caption, frm.pbshow.value); };
  }
  void Check(std::initializer_list<int> boxes) {
    for (int i : boxes) frm.backupitem[i].value = 1;
  }
  void SeedSignatures() {
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "<html>work</html>");
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.txt", "work");
  }
  void SeedPersonalFolders() {
    SetString(profileKey(), "Profile", "yes");
    tp.drive.Put("C:\\Mail\\Outlook.pst", "pst");
    SeedDataFile("0a0d", "C:\\Mail\\Outlook.pst");
    tp.drive.Put(app.state.loc.RulesPath + "\\Outlook.rwz", "rules");
  }
  const ShownMessage& LastMessage() { return tp.ui.messages.back(); }

  std::map<std::string, int> shown;  // progress value when each file was first taken in
};

TEST_F(BackupRunTest, InputChecksStopTheRunWithTheirMessage) {
  struct Case {
    const char* target;
    bool box;
    bool protect;
    const char* pw1;
    const char* pw2;
    const char* message;
    MsgIcon icon;
  };
  const Case cases[] = {
      {"", true, false, "", "", "Invalid backup file.", MsgIcon::Warning},
      {"C:\\Backup\\x.tvo", false, false, "", "", "Please select at least one item.", MsgIcon::Warning},
      {"C:\\Backup\\x.tvo", true, true, "", "", "Please enter Password!", MsgIcon::Critical},
      {"C:\\Backup\\x.tvo", true, true, "secret", "", "Incorect Password!", MsgIcon::Critical},
  };
  SeedSignatures();
  for (const Case& c : cases) {
    tp.ui.messages.clear();
    app.state.loc.TargetFile = c.target;
    frm.backupitem[2].value = c.box ? 1 : 0;
    frm.ifprotect.value = c.protect ? 1 : 0;
    frm.txtPassword.text = c.pw1;
    frm.txtPassword2.text = c.pw2;
    frm.RunBackup();
    ASSERT_EQ(tp.ui.messages.size(), 1u) << c.message;
    EXPECT_EQ(LastMessage().text, c.message);
    EXPECT_EQ(LastMessage().icon, c.icon);
    EXPECT_EQ(LastMessage().caption, "Tarvo Outlook Backup");
  }
  EXPECT_FALSE(tp.drive.fs().FileExists("C:\\Backup\\x.tvo"));
  EXPECT_EQ(LogText(), "");
}

TEST_F(BackupRunTest, SignaturesOnlyRunLogsFiveEntriesAndRecordsOneItem) {
  SeedSignatures();
  Check({2});
  frm.txtAttachInfo.text = "first\r\nsecond";
  frm.RunBackup();

  EXPECT_EQ(LogText(), std::string(84, '.') + "\r\r\n" +                                   //
                           kNow + " Start Backup Profile Outlook Data...\n\r\n" +          //
                           kNow + " Backup File is " + target + "\n\r\n" +                 //
                           kNow + " Backup Signatures Succeeded!\n\r\n" +                  //
                           kNow + " Backup Profile Outlook Data was Completed!\r\r\n");
  EXPECT_EQ(RecordLines(target), (std::vector<std::string>{
                                     "BackupComputer=PC1", "BackupLogonUser=anna", "BackupIdentity=Outlook",
                                     std::string("BackupTime=") + kNow, "Outlookversion=Outlook 2010",
                                     "BackupInformation=firstPS$MVTsecond", "BackupSignatures=Work.htm;Work.txt",
                                     "BackupItem=00001000000"}));
  EXPECT_EQ(EntryNames(target), (std::vector<std::string>{"Work.htm", "Work.txt", "mailvault.dat"}));
  EXPECT_EQ(LastMessage().text, "The Backup was Completed!\t\t\t\r\n\r\nBackup Signatures\t\tSucceeded!\t");
  EXPECT_EQ(LastMessage().icon, MsgIcon::Information);

  // Work files gone, run panel put away.
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
  EXPECT_FALSE(frm.picCon3.visible);
  EXPECT_EQ(frm.pbshow.value, 0);
  EXPECT_FALSE(frm.ZipWriteDone);
  EXPECT_EQ(frm.Label1.caption, "Write File 100%");
  EXPECT_EQ(frm.SkinLabel9.caption, "");
  EXPECT_FALSE(tp.ui.busy);
}

TEST_F(BackupRunTest, PersonalFoldersBoxRunsConfigDataAndRulesWithItsExtraStep) {
  SeedPersonalFolders();
  Check({0});
  frm.RunBackup();
  EXPECT_EQ(RecordLines(target).back(), "BackupItem=11100000000");
  // Start 10, then +5 and +15 after the data files: the rules file comes in at 30.
  EXPECT_EQ(shown.at("Adding File Outlook.pst"), 10);
  EXPECT_EQ(shown.at("Adding File Outlook.RWZ"), 30);
  EXPECT_EQ(shown.at("Adding File mailvault.dat"), 100);  // 105 held at the bar's maximum
  EXPECT_EQ(LastMessage().text, "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Folders\tSucceeded!\t");
  const auto entries = EntryNames(target);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].substr(0, 3), "OBC");
  EXPECT_EQ(std::vector<std::string>(entries.begin() + 1, entries.end()),
            (std::vector<std::string>{"Outlook.pst", "Outlook.RWZ", "mailvault.dat"}));
  // The profile export work file is deleted after the write.
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.DataFolder + "\\" + entries[0]));
}

TEST_F(BackupRunTest, AccountsAndAddressBookBoxesAlsoBringTheProfileConfiguration) {
  SetString(profileKey(), "Profile", "yes");
  SetString(app.state.loc.AccountsKey + "\\00000001", "Account Name", "anna");
  Check({1});
  frm.RunBackup();
  EXPECT_EQ(RecordLines(target).back(), "BackupItem=10010000000");
  // 10 + 15 (no +5 without box 0) + 10 before the accounts export.
  const auto accounts = std::find_if(shown.begin(), shown.end(),
                                     [](const auto& s) { return s.first.rfind("Adding File OBA", 0) == 0; });
  ASSERT_NE(accounts, shown.end());
  EXPECT_EQ(accounts->second, 35);

  frm.backupitem[1].value = 0;
  tp.drive.Put("C:\\Mail\\anna.pab", "pab");
  SetString(profileKey() + "\\5a1c", "001e6600", "C:\\Mail\\anna.pab");
  Check({4});
  frm.RunBackup();
  EXPECT_EQ(RecordLines(target).back(), "BackupItem=10000010000");
  EXPECT_EQ(LastMessage().text, "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Address Book\tSucceeded!\t");
}

TEST_F(BackupRunTest, FailedItemIsReportedAndTheOthersStillBackedUp) {
  SeedSignatures();
  Check({2, 3, 6});  // no stationery or templates folder
  frm.RunBackup();
  EXPECT_EQ(RecordLines(target).back(), "BackupItem=00001000000");
  EXPECT_EQ(LastMessage().text,
            "The Backup was Completed!\t\t\t\r\n"
            "\r\nBackup Signatures\t\tSucceeded!\t"
            "\r\nBackup Stationeries\tFail!\t"
            "\r\nBackup Templates\t\tFail!\t");
  EXPECT_NE(LogText().find(std::string(kNow) + " Backup Stationeries Fail!\n\r\n"), std::string::npos);
  EXPECT_EQ(EntryNames(target), (std::vector<std::string>{"Work.htm", "Work.txt", "mailvault.dat"}));
}

TEST_F(BackupRunTest, PasswordProtectsTheArchiveOnlyWhenTheBoxIsChecked) {
  SeedSignatures();
  Check({2});
  frm.txtPassword.text = frm.txtPassword2.text = "s3cret";
  frm.RunBackup();
  EXPECT_EQ(app.zip.IsEncrypted(target), 0);

  frm.ifprotect.value = 1;
  frm.RunBackup();
  EXPECT_EQ(app.zip.IsEncrypted(target), 1);
  EXPECT_EQ(RecordLines(target, "s3cret").back(), "BackupItem=00001000000");
  ZipComponent zip(tp.drive.fs());
  ASSERT_TRUE(zip.OpenArchive(target));
  zip.ReadPassword = "wrong";
  EXPECT_EQ(zip.CheckPassword(), 0);
}

// This user's Outlook is asked to close and waited for; what will not close is ended only
// after the wait, unless the user stopped the wait. Another user's Outlook is never touched,
// and the Outlook that was closed is started again as it was started.
TEST_F(BackupRunTest, AutoCloseOutlookAsksWaitsThenEndsAndStartsOutlookAgain) {
  using B = FakeProcesses::Behaviour;
  const std::string line = "\"C:\\Office\\OUTLOOK.EXE\" /recycle";
  struct Case {
    const char* name;
    const char* setting;
    bool hasWindow;   // pid 11, OUTLOOK.EXE of this user started by line
    int closesAfterLooks;
    bool stopWait;    // the user presses Stop Waiting
    std::vector<std::uint32_t> asked, terminated;
    const char* logged;  // "" for none
    bool startedAgain;
  };
  const Case cases[] = {
      {"off", "0", true, 0, false, {}, {}, "", false},
      {"closes when asked", "1", true, 3, false, {11, 13}, {},
       " Outlook was closed for the backup: Outlook.exe (process 13), outlook.exe (process 11)", true},
      {"will not close", "1", true, -1, false, {11, 13}, {11},
       " Outlook did not close within 1 seconds and was ended by force: outlook.exe (process 11)", true},
      {"no window to ask", "1", false, -1, false, {13}, {11},
       " Outlook did not close within 1 seconds and was ended by force: outlook.exe (process 11)", false},
      {"wait stopped", "1", true, -1, true, {11, 13}, {},
       " Outlook is still running (the wait was stopped): outlook.exe (process 11)", false},
  };
  SeedSignatures();
  Check({2});
  Setting("backup", "closeoutlookwait", "1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Setting("Backup", "autocloseoutlook", c.setting);
    tp.drive.fs().DeleteFile(app.state.LogFile);
    tp.shell.calls.clear();
    tp.processes = FakeProcesses{};
    tp.processes.entries = {{11, "outlook.exe"}, {12, "notepad.exe"}, {13, std::string("Outlook.exe\0junk", 16)},
                            {14, "outlook.exe.bak"}, {15, "OUTLOOK.EXE"}};
    tp.processes.behaviour[11] = B{true, c.hasWindow, c.closesAfterLooks, line};
    tp.processes.behaviour[13] = B{true, true, 0, "\"C:\\Office\\OUTLOOK.EXE\""};
    tp.processes.behaviour[15] = B{false, true, 0, "other user"};
    hookUi.onPump = [&] {
      if (c.stopWait && frm.waitingForOutlook) frm.cmdApply_Click();
    };
    const std::string caption = frm.cmdApply.caption;
    frm.RunBackup();
    EXPECT_EQ(tp.processes.asked, c.asked);
    EXPECT_EQ(tp.processes.terminated, c.terminated);
    const std::string log = LogText();
    if (*c.logged) {
      EXPECT_NE(log.find(std::string(c.logged) + "\n"), std::string::npos) << log;
    } else {
      EXPECT_EQ(log.find(" Outlook was closed"), std::string::npos) << log;
    }
    // The closing is logged under the run's file line, and the backup itself went on.
    EXPECT_LT(log.find(" Backup File is "), log.find(" Backup Signatures Succeeded!")) << log;
    const bool started = std::any_of(tp.shell.calls.begin(), tp.shell.calls.end(),
                                     [&](const ShellCall& call) { return call.commandLine == line; });
    EXPECT_EQ(started, c.startedAgain);
    EXPECT_FALSE(frm.waitingForOutlook);
    EXPECT_EQ(frm.cmdApply.caption, caption);
  }
}

TEST_F(BackupRunTest, AfterBackupActionsFollowTheirPreferences) {
  SeedSignatures();
  Check({2});
  for (const char* key : {"burndvd", "runoutlookafterbackup"}) Setting("General", key, "1");
  Setting("backup", "openfolderbackup", "1");
  const std::string appPath =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";
  cleanup_.push_back(appPath);
  SetString(appPath, "Path", "C:\\Program Files\\Microsoft Office\\Office14\\");
  std::vector<std::string> discFiles;
  tp.ui.onModal = [&](Form& shown) {
    for (const auto& item : dynamic_cast<FrmMaindvdwrite&>(shown).lvwImageFiles.items) discFiles.push_back(item.key);
  };
  frm.RunBackup();
  ASSERT_EQ(tp.shell.calls.size(), 2u);
  EXPECT_EQ(tp.shell.calls[0].commandLine, "\"C:\\Program Files\\Microsoft Office\\Office14\\OUTLOOK.EXE\"");
  EXPECT_EQ(tp.shell.calls[0].mode, WindowMode::Minimized);
  EXPECT_EQ(tp.shell.calls[1].commandLine, "explorer /n,C:\\Backup\\");
  EXPECT_EQ(tp.shell.calls[1].mode, WindowMode::Normal);
  // The disc window opens after the summary with the new archive already in its image,
  // and takes the hand-over values.
  EXPECT_EQ(tp.ui.modals, std::vector<std::string>{"frmMaindvdwrite"});
  EXPECT_EQ(discFiles, (std::vector<std::string>{"\\mvbox-Outlook.tvo"}));
  EXPECT_EQ(LastMessage().text.rfind("The Backup was Completed!", 0), 0u);
  EXPECT_EQ(app.state.BurnFileName, "");
  EXPECT_EQ(app.state.BurnFilePath, "");
}

TEST_F(BackupRunTest, FailedWriteKeepsTheOldArchiveAndSaysSo) {
  tp.drive.Put(target, "the last good backup");
  SeedSignatures();
  Check({2});
  // The signature file disappears after it was chosen, before the archive is written.
  hookUi.onPump = [this] {
    if (frm.SkinLabel9.caption == "Adding File mailvault.dat")
      tp.drive.fs().DeleteFile(app.state.loc.SignaturesPath + "\\Work.txt");
  };
  frm.RunBackup();
  EXPECT_EQ(tp.drive.Get(target), "the last good backup");
  const std::string log = LogText();
  EXPECT_NE(log.find(std::string(kNow) + " Backup File " + target + " could not be written: "), std::string::npos);
  EXPECT_NE(log.find("Work.txt"), std::string::npos) << log;
  EXPECT_EQ(log.find("Data was Completed!"), std::string::npos);
  EXPECT_EQ(LastMessage().icon, MsgIcon::Critical);
  EXPECT_EQ(LastMessage().text.find("The Backup was Completed!"), std::string::npos);
  EXPECT_NE(LastMessage().text.find("previous backup file was left as it was"), std::string::npos);
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
  // Only the archive and the old one's replacement candidates: no work file left behind.
  EXPECT_EQ(tp.drive.fs().ListFiles("C:\\Backup")->size(), 1u);
}

TEST_F(BackupRunTest, TargetDialogProposesTheDatedNameAndCancelEmptiesTheTarget) {
  Setting("Backup", "backupfolder", "D:\\Safe");
  tp.ui.saveAnswers.push_back(std::string("C:\\Backup\\chosen.tvo"));
  frm.cmdTargetFile_Click();
  ASSERT_EQ(tp.ui.saveRequests.size(), 1u);
  const FileDialogRequest& r = tp.ui.saveRequests[0];
  EXPECT_EQ(r.title, "Save Outlook Data as");
  EXPECT_EQ(r.filter, "Tarvo Outlook Backup File (*.tvo)|*.tvo");
  EXPECT_EQ(r.fileName, "mvbox-Outlook-03-07-2024.tvo");
  EXPECT_EQ(r.initialFolder, "D:\\Safe");
  EXPECT_TRUE(r.overwritePrompt);
  EXPECT_EQ(app.state.loc.TargetFile, "C:\\Backup\\chosen.tvo");
  EXPECT_EQ(frm.txtTargetFile.text, "C:\\Backup\\chosen.tvo");

  frm.cmdTargetFile_Click();  // cancelled
  EXPECT_EQ(app.state.loc.TargetFile, "");
  EXPECT_EQ(frm.txtTargetFile.text, "");
  Check({2});
  frm.backupnow_Click();
  EXPECT_EQ(LastMessage().text, "Invalid backup file.");
}

}  // namespace
}  // namespace tarvo
