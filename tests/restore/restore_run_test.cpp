#include "restore_fixture.h"

namespace tarvo {
namespace {

constexpr const char* kNow = "3/7/2024 1:05:09 PM";

class RestoreRunTest : public RestoreFixture {
 protected:
  std::string Log() { return tp.drive.fs().FileExists(app.state.LogFile) ? tp.drive.Get(app.state.LogFile) : ""; }
};

TEST_F(RestoreRunTest, SignaturesOnlyWritesTheExactLogAndSummary) {
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm"}}, "00001000000"));
  Open("C:\\b.tvo");
  form.restoreitem[2].value = 1;

  form.RunRestore();

  const std::string now = kNow;
  EXPECT_EQ(Log(), std::string(84, '.') + "\r\r\n" + now + " Start Retore Data to Profile Work\n\r\n" + now +
                       " Restore File is C:\\b.tvo\n\r\n" + now + " Retore Signatures Succeeded!\n\r\n" + now +
                       " Restore Data to Profile Work was Completed!\r\r\n");
  ASSERT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_EQ(tp.ui.messages[0].text, "The Restore was Completed!\t\t\t\r\n\r\nRestore Signatures\t\tSucceeded!\t");
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(form.Label1.caption, "Operation complete!");
  EXPECT_EQ(form.pbshow.value, 0);
  EXPECT_FALSE(form.picCon3.visible);
  EXPECT_EQ(tp.ui.busyChanges, (std::vector<bool>{true, false}));
  EXPECT_TRUE(tp.shell.calls.empty());
}

TEST_F(RestoreRunTest, FailedSignaturesGetTheLabelWithATrailingSpace) {
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm;Gone.htm"}}, "00001000000"));
  Open("C:\\b.tvo");
  form.restoreitem[2].value = 1;
  form.RunRestore();
  EXPECT_EQ(tp.ui.messages.back().text, "The Restore was Completed!\t\t\t\r\n\r\nRestore Signatures \t\tFail!\t");
  EXPECT_NE(Log().find(" Retore Signatures Fail!\n"), std::string::npos);
}

TEST_F(RestoreRunTest, DataFileThatCannotBeReplacedLogsWhyAndKeepsWhatIsThere) {
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  // Something in the data file's place that a new file cannot replace.
  const std::string held = std::string(kLocalOutlook) + "\\Home.pst";
  tp.drive.Put(held + "\\inside.txt", "kept");
  BuildArchive("C:\\b.tvo", {{"Home.pst", "!BDN"}}, Record({{"BackupDatas", "Home.pst"}}, "01000000000"));
  Open("C:\\b.tvo");
  form.restoreitem[0].value = 1;

  form.RunRestore();

  const std::string log = Log();
  const std::string why = " Could not restore Home.pst: Cannot replace " + held + ". The existing file was left as it was.";
  ASSERT_NE(log.find(why), std::string::npos) << log;
  EXPECT_LT(log.find(why), log.find(" Retore Personal Folders Fail!")) << log;
  EXPECT_EQ(tp.drive.Get(held + "\\inside.txt"), "kept");
  const auto left = tp.drive.fs().ListFiles(kLocalOutlook);
  EXPECT_EQ(left, std::vector<std::string>{}) << "a work file was left beside the data file";
}

TEST_F(RestoreRunTest, ConfigurationAndRulesComeFirstAndDataFilesLast) {
  // The configuration export brings a store section naming Home's PST; the data-file
  // step must see it, so it has to run after the import.
  std::string entryId;
  for (unsigned char c : StoreEntryId("C:\\mail\\Home.pst")) entryId += std::to_string(c) + ",";
  entryId.pop_back();
  const std::string exportText = "\\\r\n\\store\r\n\"01020fff\"=bin:" + entryId + "\r\n\\9375CFF0413111d3B88A00104B2A6676\r\n";
  SeedKey(ProfileKey() + "\\9375CFF0413111d3B88A00104B2A6676");
  BuildArchive("C:\\b.tvo",
               {{"OBC1.TMP", exportText}, {"Home.pst", "!BDN"}, {"Home.RWZ", "rules"},
                {"OBA1.TMP", "\\\r\n\"Account Name\"= sz:pop\r\n"}},
               Record({{"BackupConfig", "OBC1.TMP"}, {"BackupDatas", "Home.pst"}, {"BackupRules", "Home.RWZ"},
                       {"BackupAccounts", "OBA1.TMP"}},
                      "11110000000"));
  Open("C:\\b.tvo");
  form.restoreitem[0].value = 1;
  form.restoreitem[1].value = 1;
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");

  form.RunRestore();

  EXPECT_EQ(tp.ui.messages.back().text,
            "The Restore was Completed!\t\t\t\r\n\r\nRestore Accounts Settings\tSucceeded!\t"
            "\r\nRestore Personal Folders\tSucceeded!\t");
  EXPECT_EQ(ValueBytes(ProfileKey() + "\\store", "01020fff"), StoreEntryId(std::string(kLocalOutlook) + "\\Home.pst"));
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey() + "\\9375CFF0413111d3B88A00104B2A6676", "Account Name"), "pop");
  EXPECT_EQ(tp.drive.Get(std::string(kRoaming) + "\\Outlook\\Work.RWZ"), "rules");
  const std::string log = Log();
  EXPECT_LT(log.find(" Retore Accounts Settings Succeeded!"), log.find(" Retore Personal Folders Succeeded!"));
}

TEST_F(RestoreRunTest, AddressBookBoxWithoutItsFlagStillRestoresTheConfiguration) {
  BuildArchive("C:\\b.tvo", {{"OBC1.TMP", "\\\r\n\"Name\"= sz:Home\r\n"}},
               Record({{"BackupConfig", "OBC1.TMP"}}, "10000000000"));
  SeedKey(ProfileKey());
  Open("C:\\b.tvo");
  form.restoreitem[4].value = 1;
  form.RunRestore();
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey(), "Name"), "Home");
  EXPECT_EQ(tp.ui.messages.back().text, "The Restore was Completed!\t\t\t\r\n");
}

TEST_F(RestoreRunTest, RefusesWithoutArchiveOrCheckedItemAndWritesNoLog) {
  form.restoreitem[2].value = 1;
  form.RunRestore();
  BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm"}}, "00001000000"));
  Open("C:\\b.tvo");
  form.RunRestore();
  ASSERT_EQ(tp.ui.messages.size(), 2u);
  EXPECT_EQ(tp.ui.messages[0].text, "Invalid backup file.");
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Critical);
  EXPECT_EQ(tp.ui.messages[1].text, "Please select at least one item.");
  EXPECT_EQ(tp.ui.messages[1].icon, MsgIcon::Warning);
  EXPECT_EQ(Log(), "");
}

// A backup between opening an archive and restoring it must not disturb the opened
// archive: its items, its flags and its reader belong to the restore tab.
TEST_F(RestoreRunTest, ABackupInBetweenLeavesTheOpenedArchiveRestorable) {
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm"}}, "00001000000"));
  Open("C:\\b.tvo");
  form.restoreitem[2].value = 1;

  app.state.loc.TemplatesPath = std::string(kRoaming) + "\\Templates";
  tp.drive.Put(app.state.loc.TemplatesPath + "\\Normal.dotm", "tpl");
  app.state.loc.TargetFile = "C:\\other.tvo";
  form.cbSource.text = "Work";
  form.backupitem[6].value = 1;
  form.RunBackup();
  ASSERT_TRUE(tp.drive.fs().FileExists("C:\\other.tvo"));

  form.RunRestore();
  EXPECT_EQ(tp.ui.messages.back().text, "The Restore was Completed!\t\t\t\r\n\r\nRestore Signatures\t\tSucceeded!\t");
  EXPECT_EQ(tp.drive.Get(std::string(kRoaming) + "\\Signatures\\Work.htm"), "sig");
}

// Cancelling a second opening clears the restore tab: the first archive must not be
// restored behind the user's back.
TEST_F(RestoreRunTest, CancelledReopeningLeavesNothingToRestore) {
  BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm"}}, "00001000000"));
  Open("C:\\b.tvo");
  form.cmdSourceFile_Click();  // cancelled
  form.restoreitem[2].value = 1;
  form.RunRestore();
  EXPECT_EQ(tp.ui.texts(), std::vector<std::string>{"Invalid backup file."});
  EXPECT_EQ(Log(), "");
}

TEST_F(RestoreRunTest, StartsOutlookAfterwardsUnlessTheSettingIsOff) {
  const std::string appPaths = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";
  const std::string old = app.reg.GetStringValue(appPaths, "Path");
  SeedKey(appPaths);
  app.reg.SetStringValue(appPaths, "Path", "C:\\Program Files\\Microsoft Office\\Office14\\");
  BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm"}}, "00001000000"));
  Open("C:\\b.tvo");
  form.restoreitem[2].value = 1;

  form.RunRestore();  // no settings file: the flag counts as on
  ASSERT_EQ(tp.shell.calls.size(), 1u);
  EXPECT_EQ(tp.shell.calls[0].commandLine, "\"C:\\Program Files\\Microsoft Office\\Office14\\OUTLOOK.EXE\"");
  EXPECT_EQ(tp.shell.calls[0].mode, WindowMode::Minimized);
  EXPECT_FALSE(tp.shell.calls[0].waited);

  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  form.RunRestore();
  EXPECT_EQ(tp.shell.calls.size(), 1u);

  if (old == kRegError)
    app.reg.DeleteValue(appPaths, "Path");
  else
    app.reg.SetStringValue(appPaths, "Path", old);
}

}  // namespace
}  // namespace tarvo
