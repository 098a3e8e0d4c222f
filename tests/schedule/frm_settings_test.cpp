#include <gtest/gtest.h>

#include "jobs/app.h"
#include "core/settings.h"
#include "forms/frm_settings.h"
#include "support/test_platform.h"

namespace tarvo {
namespace {

class FrmsettingsTest : public ::testing::Test {
 protected:
  FrmsettingsTest() {
    app.state.ExeFolder = app.state.DataFolder = "C:\\Apps";
    app.state.SettingsFile = "C:\\Apps\\settings.dat";
    tp.drive.MakeFolder("C:\\Apps");
  }

  std::string Setting(const char* section, const char* key) {
    return ReadSetting(tp.drive.fs(), app.state.SettingsFile, section, key);
  }

  // The Run value's data, or nullopt when it is missing.
  std::optional<std::string> RunValue() {
    RegKey key = 0;
    if (tp.registry.OpenKey(regroot::CurrentUser, kRunKey, kKeyRead, &key) != kErrorSuccess) return std::nullopt;
    std::uint8_t data[1024];
    std::uint32_t size = sizeof data, type = 0;
    const long rc = tp.registry.QueryValue(key, "Tarvo Outlook Backup", &type, data, &size);
    tp.registry.CloseKey(key);
    if (rc != kErrorSuccess) return std::nullopt;
    EXPECT_EQ(type, kRegSz);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(data[size - 1], 0) << "string data keeps its terminator";
    return std::string(reinterpret_cast<char*>(data), size - 1);
  }

  void TearDown() override {
    RegKey key = 0;
    if (tp.registry.OpenKey(regroot::CurrentUser, kRunKey, kKeyWrite, &key) == kErrorSuccess) {
      tp.registry.DeleteValue(key, "Tarvo Outlook Backup");
      tp.registry.CloseKey(key);
    }
  }

  TestPlatform tp;
  App app{tp.platform};
  Frmsettings form{app};
};

TEST_F(FrmsettingsTest, WithoutAPreferencesFileEveryBoxIsCheckedAndTheProgramFolderShown) {
  form.Form_Load();
  for (auto* box : {&form.Check1, &form.Check2, &form.Check3, &form.Check4, &form.Check5, &form.Check6, &form.Check7,
                    &form.Check8})
    EXPECT_TRUE(box->checked()) << box->caption;
  EXPECT_EQ(form.Text1.text, "C:\\Apps");
  EXPECT_TRUE(form.Option1.value);
  EXPECT_FALSE(form.Option2.value);
}

TEST_F(FrmsettingsTest, LoadShowsStoredValuesByTheFlagRule) {
  auto& fs = tp.drive.fs();
  tp.drive.MakeFolder("C:\\Safe");
  WriteSetting(fs, app.state.SettingsFile, "Backup", "backupfolder", "C:\\Safe");
  WriteSetting(fs, app.state.SettingsFile, "General", "burndvd", "0");
  WriteSetting(fs, app.state.SettingsFile, "General", "runoutlookafterbackup", "2");
  WriteSetting(fs, app.state.SettingsFile, "backup", "autocloseoutlook", "yes");
  WriteSetting(fs, app.state.SettingsFile, "autobackup", "autobackupfile", "1");
  form.Form_Load();
  EXPECT_EQ(form.Text1.text, "C:\\Safe");
  EXPECT_FALSE(form.Check2.checked());
  EXPECT_FALSE(form.Check6.checked());
  EXPECT_TRUE(form.Check4.checked());
  EXPECT_TRUE(form.Option2.value);
  EXPECT_FALSE(form.Option1.value);
}

TEST_F(FrmsettingsTest, OkWritesEveryKeyAndTheAutoBackupChoice) {
  form.Form_Load();
  form.Check2.value = 0;
  form.Check5.value = 0;
  form.Option1.value = false;
  form.Option2.value = true;
  form.Check1.value = 0;
  form.Command2_Click();
  EXPECT_FALSE(form.loaded);
  EXPECT_EQ(Setting("backup", "backupfolder"), "C:\\Apps");
  EXPECT_EQ(Setting("General", "burndvd"), "0");
  EXPECT_EQ(Setting("backup", "openfolderbackup"), "0");
  EXPECT_EQ(Setting("General", "checkbackupfile"), "1");
  EXPECT_EQ(Setting("backup", "automgeneratefile"), "1");
  EXPECT_EQ(Setting("autobackup", "autobackupfile"), "1");
  EXPECT_EQ(Setting("General", "startonwindows"), "0");
}

// Closing Outlook for the automatic backup is the one box that is off unless stored as 1:
// a settings file from before it, or one edited by hand, never closes anyone's Outlook.
TEST_F(FrmsettingsTest, CloseOutlookForTheAutomaticBackupIsOffUnlessStoredAsOne) {
  auto& fs = tp.drive.fs();
  const struct {
    const char* stored;  // nullptr: no such line
    bool shown;
  } cases[] = {{nullptr, false}, {"", false}, {"yes", false}, {"0", false}, {"2", false}, {"1", true}, {" 1.0 ", true}};
  for (const auto& c : cases) {
    fs.DeleteFile(app.state.SettingsFile);
    if (c.stored) WriteSetting(fs, app.state.SettingsFile, "autobackup", kCloseOutlookKey, c.stored);
    form.Form_Load();
    EXPECT_EQ(form.chkCloseOutlookAuto.checked(), c.shown) << (c.stored ? c.stored : "(missing)");
    form.chkCloseOutlookAuto.value = c.shown ? 0 : 1;
    form.Command2_Click();
    EXPECT_EQ(Setting("autobackup", kCloseOutlookKey), c.shown ? "0" : "1");
    EXPECT_EQ(CloseOutlookForAutoBackup(fs, app.state.SettingsFile), !c.shown);
  }
}

TEST_F(FrmsettingsTest, KeepDatedIsShownAndSavedAsAWholeNumberOrZero) {
  const std::pair<const char*, const char*> shown[] = {{"", "0"}, {"3", "3"}, {"-2", "0"}, {"two", "0"}};
  for (const auto& [stored, text] : shown) {
    WriteSetting(tp.drive.fs(), app.state.SettingsFile, "autobackup", "keepdated", stored);
    form.Form_Load();
    EXPECT_EQ(form.txtKeepDated.text, text) << stored;
  }
  const std::pair<const char*, const char*> saved[] = {{" 5 ", "5"}, {"0", "0"}, {"lots", "0"}, {"", "0"}};
  for (const auto& [typed, stored] : saved) {
    form.Form_Load();
    form.txtKeepDated.text = typed;
    form.Command2_Click();
    EXPECT_EQ(Setting("autobackup", "keepdated"), stored) << typed;
  }
  EXPECT_EQ(form.lblKeepDated.caption, "Keep only the newest N dated backups (0 keeps all)");
}

TEST_F(FrmsettingsTest, EmptyFolderBoxIsRefusedAndAMissingFolderBecomesTheProgramFolder) {
  form.Form_Load();
  form.Command1_Click();  // chooser cancelled
  EXPECT_EQ(form.Text1.text, "");
  form.Command2_Click();
  EXPECT_EQ(tp.ui.texts(), std::vector<std::string>{"Please enter backup folder."});
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Critical);
  EXPECT_TRUE(form.loaded);
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.SettingsFile));

  form.Text1.text = "  C:\\No\\Such\\Folder ";
  form.Command2_Click();
  EXPECT_EQ(Setting("backup", "backupfolder"), "C:\\Apps");
}

TEST_F(FrmsettingsTest, ChosenFolderIsSavedTrimmed) {
  tp.drive.MakeFolder("C:\\Backups");
  form.Form_Load();
  tp.ui.folderAnswers.push_back("C:\\Backups");
  form.Command1_Click();
  ASSERT_EQ(tp.ui.folderRequests.size(), 1u);
  EXPECT_EQ(tp.ui.folderRequests[0].flags, 2);
  form.Text1.text += "  ";
  form.Command2_Click();
  EXPECT_EQ(Setting("backup", "backupfolder"), "C:\\Backups");
}

TEST_F(FrmsettingsTest, StartWithWindowsWritesAndRemovesTheRunValue) {
  form.Form_Load();
  form.Check1.value = 1;
  form.Command2_Click();
  EXPECT_EQ(RunValue(), std::optional<std::string>("\"C:\\Apps\\tarvobk.exe\""));

  Frmsettings again{app};
  again.Form_Load();
  again.Check1.value = 0;
  again.Command2_Click();
  EXPECT_EQ(RunValue(), std::nullopt);
  // Removing a value that is not there is no error.
  again.Command2_Click();
  EXPECT_EQ(RunValue(), std::nullopt);
}

TEST_F(FrmsettingsTest, RunValueNamesTheExecutableNotTheDataFolder) {
  app.state.ExeFolder = "C:\\Program Files\\Tarvo Outlook Backup";
  form.Form_Load();
  form.Check1.value = 1;
  form.Command2_Click();
  EXPECT_EQ(RunValue(), std::optional<std::string>("\"C:\\Program Files\\Tarvo Outlook Backup\\tarvobk.exe\""));
  EXPECT_EQ(Setting("General", "startonwindows"), "1") << "the preference stays in the data folder";
}

TEST_F(FrmsettingsTest, CancelWritesNothing) {
  form.Form_Load();
  form.Check2.value = 0;
  form.Command3_Click();
  EXPECT_FALSE(form.loaded);
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.SettingsFile));
}

}  // namespace
}  // namespace tarvo
