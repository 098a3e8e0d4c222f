#include <gtest/gtest.h>

#include "jobs/app.h"
#include "core/settings.h"
#include "forms/frm_option.h"
#include "support/test_platform.h"

namespace tarvo {
namespace {

class FrmoptionTest : public ::testing::Test {
 protected:
  FrmoptionTest() {
    app.state.ExeFolder = app.state.DataFolder = "C:\\Apps";
    app.state.SettingsFile = "C:\\Apps\\settings.dat";
    tp.drive.MakeFolder("C:\\Apps");
    app.state.env.WinVersion = "6.1";
    app.state.env.OfficeVersion = "14.0";
    app.state.env.UserProfilePath = "C:\\Users\\tester";
    app.state.env.ProfilesKey = "HKEY_CURRENT_USER\\Software\\TarvoTest\\Profiles";
    app.state.env.ProfileList = {"My Mail", "Work", ""};
    form.Form_Load();
  }

  void CheckDays(bool mon, bool wed) {
    form.chkMonday.value = mon;
    form.chkWednesday.value = wed;
  }

  TestPlatform tp;
  App app{tp.platform};
  Frmoption form{app};
};

TEST_F(FrmoptionTest, LoadFillsProfilesAndHalfHourStartTimesAndProposesTheUndatedName) {
  EXPECT_EQ(form.cbSource.items, (std::vector<std::string>{"My Mail", "Work"}));
  EXPECT_EQ(form.cbSource.text, "My Mail");
  ASSERT_EQ(form.cmbStartTime.items.size(), 48u);
  EXPECT_EQ(form.cmbStartTime.items[0], "0:00");
  EXPECT_EQ(form.cmbStartTime.items[1], "0:30");
  EXPECT_EQ(form.cmbStartTime.items[47], "23:30");
  EXPECT_EQ(form.cmbStartTime.text, "9:00");
  EXPECT_EQ(form.txtTargetFile.text, "C:\\Apps\\mvbox-My Mail.tvo");
  EXPECT_EQ(form.TaskFile, form.txtTargetFile.text);
  EXPECT_FALSE(form.txtPassword.enabled);
}

TEST_F(FrmoptionTest, AddTaskEndsDeletesThenCreatesWaitingForEachInAHiddenWindow) {
  form.backupitem[0].value = 1;
  form.backupitem[1].value = 1;
  CheckDays(true, true);
  form.Command3_Click();

  const std::vector<std::string> expected = {
      "schtasks /end  /tn \"Tarvo Outlook AutoBackup\"",
      "schtasks /delete /f  /tn \"Tarvo Outlook AutoBackup\"",
      "schtasks /create /sc WEEKLY /d Mon,Wed /st 09:00:00 /tn \"Tarvo Outlook AutoBackup\" /tr "
      "\"\\\"C:\\Apps\\tarvobk.exe\\\" sf=My Mailxm=110000000ps=bf=C:\\Apps\\mvbox-My Mail.tvo\""};
  EXPECT_EQ(tp.shell.commandLines(), expected);
  for (const auto& call : tp.shell.calls) {
    EXPECT_EQ(call.mode, WindowMode::Hidden);
    EXPECT_TRUE(call.waited);
    EXPECT_GT(call.timeoutMs, 0);
  }
  ASSERT_EQ(tp.ui.texts(), std::vector<std::string>{"Task Tarvo Outlook AutoBackup has been scheduled."});
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(tp.ui.messages[0].caption, "Tarvo Outlook Backup");
  EXPECT_FALSE(form.loaded);
}

// An installed copy keeps its data elsewhere; the task must still start the real program.
TEST_F(FrmoptionTest, TaskStartsTheExecutableEvenWhenTheDataLivesElsewhere) {
  app.state.ExeFolder = "C:\\Program Files\\Tarvo Outlook Backup";
  form.backupitem[0].value = 1;
  CheckDays(true, false);
  form.Command3_Click();
  ASSERT_EQ(tp.shell.commandLines().size(), 3u);
  EXPECT_EQ(tp.shell.commandLines()[2],
            "schtasks /create /sc WEEKLY /d Mon /st 09:00:00 /tn \"Tarvo Outlook AutoBackup\" /tr "
            "\"\\\"C:\\Program Files\\Tarvo Outlook Backup\\tarvobk.exe\\\" sf=My Mailxm=100000000ps=bf=C:\\Apps\\mvbox-My "
            "Mail.tvo\"");
}

TEST_F(FrmoptionTest, PasswordAndStartTimeTravelInTheCreateCommand) {
  form.backupitem[8].value = 1;
  form.ifprotect.value = 1;
  form.ifprotect_Click();
  form.txtPassword.text = form.txtPassword2.text = "s3cret";
  form.cmbStartTime.text = "23:30";
  form.Command3_Click();
  ASSERT_EQ(tp.shell.calls.size(), 3u);
  const auto& create = tp.shell.calls[2].commandLine;
  EXPECT_NE(create.find("/d * /st 23:30:00 "), std::string::npos) << create;
  EXPECT_NE(create.find("xm=000000001ps=s3cretbf="), std::string::npos) << create;
}

TEST_F(FrmoptionTest, RefusalsStartNothing) {
  struct Case {
    const char* name;
    std::function<void(Frmoption&)> setup;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"no item", [](Frmoption&) {}, "Please select at least one item."},
      {"no file",
       [](Frmoption& f) {
         f.backupitem[2].value = 1;
         f.TaskFile.clear();
       },
       "Invalid backup file name."},
      {"empty passwords",
       [](Frmoption& f) {
         f.backupitem[2].value = 1;
         f.ifprotect.value = 1;
       },
       "Please enter Password!"},
      {"different passwords",
       [](Frmoption& f) {
         f.backupitem[2].value = 1;
         f.ifprotect.value = 1;
         f.txtPassword.text = "a";
         f.txtPassword2.text = "b";
       },
       "Incorect Password!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Frmoption f{app};
    f.Form_Load();
    tp.ui.messages.clear();
    tp.shell.calls.clear();
    c.setup(f);
    f.Command3_Click();
    EXPECT_EQ(tp.ui.texts(), std::vector<std::string>{c.message});
    EXPECT_TRUE(tp.shell.calls.empty());
    EXPECT_TRUE(f.loaded);
  }
}

TEST_F(FrmoptionTest, ValuesThatCannotTravelInTheTaskAreRefusedBeforeAnythingStarts) {
  form.backupitem[0].value = 1;
  form.ifprotect.value = 1;
  form.txtPassword.text = form.txtPassword2.text = "pa=ss";
  form.Command3_Click();
  ASSERT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_NE(tp.ui.messages[0].text.find("equals sign"), std::string::npos);
  EXPECT_TRUE(tp.shell.calls.empty());

  tp.ui.messages.clear();
  form.txtPassword.text = form.txtPassword2.text = "";
  form.ifprotect.value = 0;
  form.TaskFile = "C:\\b\\\"x\".tvo";
  form.Command3_Click();
  EXPECT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_TRUE(tp.shell.calls.empty());
}

TEST_F(FrmoptionTest, AFailedCreationIsNotReportedAsScheduled) {
  form.backupitem[0].value = 1;
  tp.shell.exitCode = 1;
  form.Command3_Click();
  ASSERT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_EQ(tp.ui.messages[0].text.find("has been scheduled"), std::string::npos);
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Critical);
  EXPECT_TRUE(form.loaded);
}

TEST_F(FrmoptionTest, DisableTaskEndsAndDeletesAndStaysOpen) {
  form.Command1_Click();
  EXPECT_EQ(tp.shell.commandLines(), (std::vector<std::string>{"schtasks /end  /tn \"Tarvo Outlook AutoBackup\"",
                                                                "schtasks /delete /f  /tn \"Tarvo Outlook AutoBackup\""}));
  EXPECT_EQ(tp.ui.texts(), std::vector<std::string>{"Task Tarvo Outlook AutoBackup has been Delete."});
  EXPECT_TRUE(form.loaded);
}

TEST_F(FrmoptionTest, RunDailyChecksAndClearsEveryDay) {
  form.chkDaily.value = 1;
  form.chkDaily_Click();
  for (auto* d : {&form.chkMonday, &form.chkTuesday, &form.chkWednesday, &form.chkThursday, &form.chkFriday,
                  &form.chkSaturday, &form.chkSunday})
    EXPECT_TRUE(d->checked());
  form.chkDaily.value = 0;
  form.chkDaily_Click();
  EXPECT_FALSE(form.chkSunday.checked());
  EXPECT_FALSE(form.chkMonday.checked());
}

TEST_F(FrmoptionTest, ProtectBoxEnablesAndEmptiesThePasswordBoxes) {
  form.ifprotect.value = 1;
  form.ifprotect_Click();
  EXPECT_TRUE(form.txtPassword.enabled);
  EXPECT_EQ(form.txtPassword2.backColor, BackColor::Window);
  form.txtPassword.text = "x";
  form.ifprotect.value = 0;
  form.ifprotect_Click();
  EXPECT_FALSE(form.txtPassword.enabled);
  EXPECT_EQ(form.txtPassword.backColor, BackColor::ScrollBar);
  EXPECT_EQ(form.txtPassword.text, "");
}

TEST_F(FrmoptionTest, SaveDialogProposesTheDatedNameAndCancelKeepsTheTarget) {
  WriteSetting(tp.drive.fs(), app.state.SettingsFile, "Backup", "backupfolder", "D:\\Safe");
  const std::string before = form.TaskFile;
  form.cmdTargetFile_Click();
  ASSERT_EQ(tp.ui.saveRequests.size(), 1u);
  EXPECT_EQ(tp.ui.saveRequests[0].title, "Save Outlook Data as");
  EXPECT_EQ(tp.ui.saveRequests[0].initialFolder, "D:\\Safe");
  EXPECT_EQ(tp.ui.saveRequests[0].fileName, "mvbox-My Mail-03-07-2024");
  EXPECT_TRUE(tp.ui.saveRequests[0].overwritePrompt);
  EXPECT_EQ(form.TaskFile, before);

  tp.ui.saveAnswers.push_back(std::string("E:\\weekly.tvo"));
  form.cmdTargetFile_Click();
  EXPECT_EQ(form.TaskFile, "E:\\weekly.tvo");
  EXPECT_EQ(form.txtTargetFile.text, "E:\\weekly.tvo");
}

}  // namespace
}  // namespace tarvo
