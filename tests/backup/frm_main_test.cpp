// Start-up, the unattended switch, tabs, item selection and the zip notifications.
#include "backup_fixture.h"
#include "jobs/start_up.h"

namespace tarvo {
namespace {

class FrmMainTest : public BackupFixture {
 protected:
  // Profiles under the Office 15.0 branch, which nothing else in the test prefix uses.
  const std::string officeProfiles = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\15.0\\Outlook\\Profiles";
  void SetUp() override {
    tp.office.version = "15.0";
    cleanup_.push_back(officeProfiles);
    app.reg.DeleteKeyTree(officeProfiles);
  }
};

TEST_F(FrmMainTest, LoadAtADriveRootUsesOneSeparatorAndCreatesTheLog) {
  tp.drive.AddDrive('X');
  tp.system.programFolder = "X:\\";
  tp.system.computerName = std::string(" PC1 \0garbage", 13);
  tp.system.userName = "anna ";
  frm.Form_Load();
  EXPECT_EQ(app.state.InfoRecordPath, "X:\\mailvault.dat");
  EXPECT_EQ(app.state.LogFile, "X:\\brlog.dat");
  EXPECT_EQ(app.zip.WorkFolder, "X:\\");
  EXPECT_TRUE(tp.drive.fs().FileExists("X:\\brlog.dat"));
  EXPECT_EQ(tp.drive.Get("X:\\brlog.dat"), "");
  EXPECT_EQ(tp.drive.fs().ListFiles("X:\\")->size(), 1u);  // the write probe is gone
  EXPECT_EQ(app.state.ComputerName, "PC1");
  EXPECT_EQ(app.state.LogonUserName, "anna");
  EXPECT_FALSE(frm.picCon3.visible);
}

TEST_F(FrmMainTest, UnwritableProgramFolderMovesTheDataToTheUsersFolder) {
  tp.system.programFolder = "Q:\\Program Files\\Tarvo";  // no such drive: nothing can be written
  tp.drive.MakeFolder("C:\\Users\\tester\\AppData\\Local");
  frm.Form_Load();
  const std::string own = "C:\\Users\\tester\\AppData\\Local\\Tarvo Outlook Backup";
  EXPECT_EQ(app.state.InfoRecordPath, own + "\\mailvault.dat");
  EXPECT_EQ(app.state.SettingsFile, own + "\\settings.dat");
  EXPECT_TRUE(tp.drive.fs().FileExists(own + "\\brlog.dat"));
  frm.helpfile_Click();
  EXPECT_EQ(tp.shell.calls.back().commandLine, "C:\\Windows\\hh.exe Q:\\Program Files\\Tarvo\\help.chm");
}

// Where the data lives, and that a first start with a folder of its own takes the shipped
// defaults without ever overwriting the user's own preferences.
TEST_F(FrmMainTest, InstalledCopiesKeepTheirDataInTheUsersFolderStartingFromTheShippedDefaults) {
  const std::string exe = tp.system.programFolder, own = "C:\\Users\\tester\\AppData\\Local\\Tarvo Outlook Backup";
  tp.drive.MakeFolder("C:\\Users\\tester\\AppData\\Local");
  tp.drive.Put(exe + "\\settings.dat", "[General]\r\nburndvd=0\r\n");
  struct Case {
    bool installed;
    std::string userSettings;  // settings.dat already in the data folder, or empty
    std::string dataFolder, settingsAfter, burndvd;
  };
  const std::vector<Case> cases = {
      {false, "", exe, "[General]\r\nburndvd=0\r\n", "0"},
      {true, "", own, "[General]\r\nburndvd=0\r\n", "0"},
      {true, "[General]\r\nburndvd=1\r\n", own, "[General]\r\nburndvd=1\r\n", "1"},
  };
  for (const Case& c : cases) {
    tp.drive.fs().DeleteFile(own + "\\settings.dat");
    tp.drive.fs().DeleteFile(exe + "\\installed.dat");
    if (c.installed) tp.drive.Put(exe + "\\installed.dat", "");
    if (!c.userSettings.empty()) tp.drive.Put(own + "\\settings.dat", c.userSettings);
    App fresh{tp.platform};
    FrmMain form{fresh};
    form.Form_Load();
    SCOPED_TRACE(c.installed ? "installed" : "portable");
    EXPECT_EQ(fresh.state.ExeFolder, exe);
    EXPECT_EQ(fresh.state.DataFolder, c.dataFolder);
    EXPECT_EQ(fresh.state.SettingsFile, c.dataFolder + "\\settings.dat");
    EXPECT_EQ(fresh.state.InfoRecordPath, c.dataFolder + "\\mailvault.dat");
    EXPECT_EQ(tp.drive.Get(fresh.state.SettingsFile), c.settingsAfter);
    EXPECT_TRUE(tp.drive.fs().FileExists(c.dataFolder + "\\brlog.dat"));
    EXPECT_EQ(ReadSetting(tp.drive.fs(), fresh.state.SettingsFile, "General", "burndvd"), c.burndvd);
  }
}

TEST_F(FrmMainTest, LoadLeavesAnExistingLogAlone) {
  tp.drive.Put(tp.system.programFolder + "\\brlog.dat", "earlier runs\r\n");
  frm.Form_Load();
  EXPECT_EQ(tp.drive.Get(tp.system.programFolder + "\\brlog.dat"), "earlier runs\r\n");
}

TEST_F(FrmMainTest, LoadWithoutProfileSaysSoAndDisablesTheAction) {
  frm.Form_Load();
  ASSERT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_EQ(tp.ui.messages[0].text, "Your Windows System have not install MS Outlook or MS Outlook Error!");
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Critical);
  EXPECT_FALSE(frm.cmdApply.enabled);
  EXPECT_TRUE(frm.cbSource.items.empty());
  EXPECT_TRUE(frm.cbTarget.items.empty());
}

TEST_F(FrmMainTest, UnattendedLoadWithoutProfileShowsNothingKeepsTheArchiveAndLogsWhy) {
  app.state.CommandLine = " sf=Outlookxm=001000000ps=bf=C:\\Backup\\x.tvo";
  Setting("autobackup", "autobackupfile", "0");
  tp.drive.Put("C:\\Users\\tester\\AppData\\Roaming\\Microsoft\\Signatures\\a.txt", "sig");
  tp.drive.Put("C:\\Backup\\x.tvo", "last good backup");
  frm.Form_Load();
  frm.Form_Activate();
  EXPECT_TRUE(tp.ui.messages.empty());
  EXPECT_TRUE(frm.quitRequested);
  EXPECT_FALSE(frm.visible);
  // With no profile left, a backup of the other items would replace the last good one.
  EXPECT_EQ(tp.drive.Get("C:\\Backup\\x.tvo"), "last good backup");
  const std::string log = tp.drive.Get(app.state.LogFile);
  EXPECT_NE(log.find(" Automatic Backup of profile Outlook was not done: this user has no Outlook profile"),
            std::string::npos)
      << log;
}

TEST_F(FrmMainTest, LoadWithProfilesFillsBothListsAndLocksTheRestoreItems) {
  SetString(officeProfiles + "\\Work", "x", "1");
  SetString(officeProfiles + "\\Home", "x", "1");
  frm.restoreitem[3].value = 1;
  frm.Form_Load();
  EXPECT_TRUE(tp.ui.messages.empty());
  EXPECT_EQ(frm.cbSource.items, (std::vector<std::string>{"Home", "Work"}));
  EXPECT_EQ(frm.cbTarget.items, frm.cbSource.items);
  EXPECT_EQ(frm.cbSource.text, "Home");
  EXPECT_EQ(frm.cmdApply.caption, "Backup Now");
  EXPECT_TRUE(frm.cmdApply.enabled);
  for (const CheckBox& box : frm.restoreitem) {
    EXPECT_EQ(box.value, 0);
    EXPECT_FALSE(box.enabled);
  }
  EXPECT_EQ(app.state.env.UserProfilePath, "C:\\Users\\tester");
  EXPECT_TRUE(app.state.NoArchiveLoaded);
}

TEST_F(FrmMainTest, ActivateRunsUnattendedOnlyWithACommandLine) {
  frm.visible = true;
  frm.Form_Activate();
  EXPECT_FALSE(frm.quitRequested);
  EXPECT_TRUE(frm.visible);

  app.state.CommandLine = "  ";  // blanks count as instructions
  frm.Form_Activate();
  EXPECT_TRUE(frm.quitRequested);
  EXPECT_FALSE(frm.visible);
}

TEST_F(FrmMainTest, ClosingTheWindowQuitsLikeTheMenu) {
  frm.loaded = frm.visible = true;
  frm.Form_Unload();
  EXPECT_TRUE(frm.quitRequested);
  EXPECT_FALSE(frm.loaded);
}

TEST_F(FrmMainTest, LogsTabShowsEachLineOnceSplitAtCarriageReturns) {
  tp.drive.Put(app.state.LogFile, std::string(3, '.') + "\r\r\n" + "start\n\r\n" + "done\r" + "tail");
  frm.SSTab1.tab = 2;
  frm.SSTab1_Click();
  frm.SSTab1_Click();
  EXPECT_EQ(frm.List1.items, (std::vector<std::string>{"...", "", "start\n", "done", "tail"}));
  EXPECT_EQ(frm.List1.listIndex, 4);
  EXPECT_EQ(frm.cmdApply.caption, "Show Log File");

  tp.drive.fs().DeleteFile(app.state.LogFile);
  frm.SSTab1_Click();
  EXPECT_TRUE(frm.List1.items.empty());
}

TEST_F(FrmMainTest, ActionButtonFollowsTheTab) {
  frm.SSTab1.tab = 3;
  frm.SSTab1_Click();
  EXPECT_EQ(frm.cmdApply.caption, "Help");
  EXPECT_EQ(frm.SkinLabel10.caption, "Tarvo Outlook Backup V3.00");
  frm.cmdApply_Click();
  frm.SSTab1.tab = 2;
  frm.cmdApply_Click();
  EXPECT_EQ(tp.shell.commandLines(),
            (std::vector<std::string>{"C:\\Windows\\hh.exe C:\\Program Files\\Tarvo\\help.chm",
                                      "C:\\Windows\\notepad.exe C:\\Program Files\\Tarvo\\brlog.dat"}));

  frm.SSTab1.tab = 1;
  frm.SSTab1_Click();
  EXPECT_EQ(frm.cmdApply.caption, "Restore Now");
  tp.ui.answers.push_back(kMsgCancel);
  frm.cmdApply_Click();
  ASSERT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_EQ(tp.ui.messages[0].text,
            "Your current Email and News messages will be replaced with the messages from the selected backup "
            "file.\r\n\r\nDo you want to countinue?");
  EXPECT_EQ(tp.ui.messages[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Information);
}

TEST_F(FrmMainTest, SelectAllChecksOnlyEnabledBoxes) {
  frm.backupitem[2].enabled = false;
  frm.backupitem[2].value = 1;
  frm.Selectallitems_Click();
  for (int i = 0; i < 9; ++i) EXPECT_EQ(frm.backupitem[i].value, i == 2 ? 0 : 1) << i;
  frm.Deselectallitems_Click();
  for (const CheckBox& box : frm.backupitem) EXPECT_EQ(box.value, 0);
  frm.restoreitem[0].enabled = false;
  frm.Selectallitems2_Click();
  EXPECT_EQ(frm.restoreitem[0].value, 0);
  EXPECT_EQ(frm.restoreitem[8].value, 1);
}

TEST_F(FrmMainTest, ProtectBoxEmptiesThePasswordsEitherWay) {
  // Unticked at start: its boxes are closed until the user asks for protection.
  EXPECT_FALSE(frm.ifprotect.checked());
  EXPECT_FALSE(frm.txtPassword.enabled);
  EXPECT_FALSE(frm.txtPassword2.enabled);
  frm.ifprotect.value = 1;
  frm.ifprotect_Click();
  frm.txtPassword.text = frm.txtPassword2.text = "typed";
  frm.ifprotect.value = 0;
  frm.ifprotect_Click();
  EXPECT_EQ(frm.txtPassword.text + frm.txtPassword2.text, "");
  EXPECT_FALSE(frm.txtPassword2.enabled);
  EXPECT_EQ(frm.txtPassword.backColor, BackColor::ScrollBar);
  frm.ifprotect.value = 1;
  frm.ifprotect_Click();
  EXPECT_TRUE(frm.txtPassword.enabled);
  EXPECT_EQ(frm.txtPassword2.backColor, BackColor::Window);
}

TEST_F(FrmMainTest, ZipNotificationsUpdateTheRunPanel) {
  frm.AddingFile("Outlook.pst");
  EXPECT_EQ(frm.SkinLabel9.caption, "Adding File Outlook.pst");
  frm.UnzippingFile("a.htm");
  EXPECT_EQ(frm.SkinLabel9.caption, "Unzip File a.htm");
  frm.WriteProgress(42);
  EXPECT_EQ(frm.Label1.caption, "Write File 42%");
  EXPECT_EQ(tp.system.sleeps, (std::vector<int>{10, 10, 5}));
  EXPECT_EQ(tp.ui.pumps, 3);
  frm.WriteComplete();
  EXPECT_TRUE(frm.ZipWriteDone);
}

}  // namespace
}  // namespace tarvo
