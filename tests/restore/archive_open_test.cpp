#include "restore_fixture.h"

namespace tarvo {
namespace {

class ArchiveOpenTest : public RestoreFixture {};

TEST_F(ArchiveOpenTest, SignaturesAndTemplatesEnableOnlyTheirItemsAndReadOnlyTheirKeys) {
  BuildArchive("C:\\b.tvo", {{"Work.htm", "<p>sig</p>"}, {"Normal.dot", "tpl"}},
               Record({{"BackupSignatures", "Work.htm"}, {"BackupTemplates", "Normal.dot"}, {"BackupDatas", "x.pst"}},
                      "00001000100", "firstPS$MVTsecond"));
  app.state.RestoreLists[1] = "earlier.pst";
  form.restoreitem[0].enabled = true;
  form.restoreitem[0].value = 1;

  Open("C:\\b.tvo");

  EXPECT_TRUE(tp.ui.messages.empty());
  ASSERT_EQ(tp.ui.openRequests.size(), 1u);
  EXPECT_EQ(tp.ui.openRequests[0].title, "Restore Date from a backup file");
  EXPECT_EQ(tp.ui.openRequests[0].filter, "Tarvo Outlook Backup File (*.tvo)|*.tvo");
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(form.restoreitem[i].enabled, i == 2 || i == 6) << i;
    EXPECT_EQ(form.restoreitem[i].value, 0) << i;
  }
  EXPECT_EQ(app.state.RestoreLists[4], "Work.htm");
  EXPECT_EQ(app.state.RestoreLists[8], "Normal.dot");
  EXPECT_EQ(app.state.RestoreLists[1], "earlier.pst");  // flag "0": the list keeps its value
  EXPECT_EQ(form.txtPOBinfo.text,
            "Computer:PC1\r\nUser:anna\r\nBackup Time:3/14/2013 10:05:12 AM\r\nProfile:Home\r\nOutlook Version:Outlook 2010");
  EXPECT_EQ(form.txtFileInfo.text, "first\r\nsecond");
  EXPECT_EQ(form.txtSourceFile.text, "C:\\b.tvo");
  EXPECT_EQ(app.state.SourceArchive, "C:\\b.tvo");
  EXPECT_FALSE(app.state.NoArchiveLoaded);
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
}

TEST_F(ArchiveOpenTest, ConfigurationAndRulesEnableNothingByThemselves) {
  BuildArchive("C:\\b.tvo", {{"OBC1.TMP", "\\\r\n"}, {"a.pst", "pst"}, {"Home.RWZ", "rules"}},
               Record({{"BackupConfig", "OBC1.TMP"}, {"BackupDatas", "a.pst"}, {"BackupRules", "Home.RWZ"}},
                      "11100000000"));
  Open("C:\\b.tvo");
  for (int i = 0; i < 9; ++i) EXPECT_EQ(form.restoreitem[i].enabled, i == 0) << i;
  EXPECT_EQ(app.state.RestoreLists[0], "OBC1.TMP");
  EXPECT_EQ(app.state.RestoreLists[2], "Home.RWZ");
}

TEST_F(ArchiveOpenTest, ItemFlagsOfWrongLengthOrNoRecordAreRejected) {
  for (const std::string flags : {"0000100000", "000010000000"}) {
    BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm"}}, flags));
    app.state.NoArchiveLoaded = false;
    tp.ui.messages.clear();
    Open("C:\\b.tvo");
    ASSERT_EQ(tp.ui.messages.size(), 1u) << flags;
    EXPECT_EQ(tp.ui.messages[0].text, "Invalid backup file");
    EXPECT_EQ(tp.ui.messages[0].caption, "Tarvo Outlook Backup");
    EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(app.state.NoArchiveLoaded);
    EXPECT_EQ(form.txtSourceFile.text, "C:\\b.tvo");  // kept from before the check
    EXPECT_FALSE(form.restoreitem[2].enabled);
  }

  // A record left in the program folder by an earlier run must not stand in.
  tp.drive.Put(app.state.InfoRecordPath, Record({}, "00001000000"));
  BuildArchive("C:\\plain.tvo", {{"Work.htm", "sig"}}, "");
  tp.ui.messages.clear();
  Open("C:\\plain.tvo");
  EXPECT_EQ(tp.ui.texts(), std::vector<std::string>{"Invalid backup file"});
  EXPECT_EQ(form.txtPOBinfo.text, "");
}

TEST_F(ArchiveOpenTest, CancelledDialogLeavesTheRestoreSideCleared) {
  form.restoreitem[3].enabled = true;
  form.restoreitem[3].value = 1;
  form.txtPOBinfo.text = "old";
  form.cmdSourceFile_Click();  // no answer queued: cancelled
  EXPECT_FALSE(form.restoreitem[3].enabled);
  EXPECT_EQ(form.restoreitem[3].value, 0);
  EXPECT_EQ(form.txtPOBinfo.text, "");
  EXPECT_TRUE(tp.ui.messages.empty());
}

TEST_F(ArchiveOpenTest, ProtectedArchiveOpensOnlyWithItsPassword) {
  BuildArchive("C:\\p.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", "Work.htm"}}, "00001000000"),
               " secret ");

  Open("C:\\p.tvo");  // cancelled prompt, no earlier password
  EXPECT_EQ(tp.ui.modals, std::vector<std::string>{"frmPwd"});
  ASSERT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_EQ(tp.ui.messages[0].text, "Incorect Password or Invalid backup file!");
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Information);
  EXPECT_TRUE(app.state.NoArchiveLoaded);
  EXPECT_FALSE(form.restoreitem[2].enabled);

  Open("C:\\p.tvo", "secret");  // trimmed: wrong
  EXPECT_EQ(tp.ui.messages.size(), 2u);
  EXPECT_EQ(form.txtSourceFile.text, "");

  Open("C:\\p.tvo", " secret ");
  EXPECT_EQ(tp.ui.messages.size(), 2u);
  EXPECT_TRUE(form.restoreitem[2].enabled);
  EXPECT_FALSE(app.state.NoArchiveLoaded);

  Open("C:\\p.tvo");  // Cancel keeps the earlier password, which still opens it
  EXPECT_EQ(app.state.RestorePassword, " secret ");
  EXPECT_EQ(tp.ui.messages.size(), 2u);
  EXPECT_TRUE(form.restoreitem[2].enabled);
}

TEST(FrmPwdTest, EnterConfirmsExactlyAsTypedAndCancelKeepsTheEarlierPassword) {
  AppState state;
  FrmPwd pwd(state);
  EXPECT_EQ(pwd.caption, "Please enter password");
  EXPECT_TRUE(pwd.txtPassword.password);

  pwd.Form_Load();
  pwd.txtPassword.text = "  pass word ";
  pwd.txtPassword_KeyPress('a');
  EXPECT_EQ(state.RestorePassword, "");
  EXPECT_TRUE(pwd.loaded);
  pwd.txtPassword_KeyPress(13);
  EXPECT_EQ(state.RestorePassword, "  pass word ");
  EXPECT_FALSE(pwd.loaded);

  pwd.Form_Load();
  EXPECT_EQ(pwd.txtPassword.text, "");
  pwd.txtPassword.text = "other";
  pwd.cmdExit_Click();
  EXPECT_EQ(state.RestorePassword, "  pass word ");
  EXPECT_FALSE(pwd.loaded);
}

}  // namespace
}  // namespace tarvo
