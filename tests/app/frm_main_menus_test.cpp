// The menu entries that open the other windows: each window is loaded before it shows,
// shown modally through the Ui, and the about box tells where the files are kept.
#include <gtest/gtest.h>

#include "forms/frm_about.h"
#include "forms/frm_disc_write.h"
#include "forms/frm_main.h"
#include "forms/frm_option.h"
#include "forms/frm_settings.h"
#include "support/test_platform.h"

namespace tarvo {
namespace {

class MenusTest : public ::testing::Test {
 protected:
  MenusTest() {
    app.state.ExeFolder = app.state.DataFolder = "C:\\Apps";
    app.state.SettingsFile = "C:\\Apps\\settings.dat";
    app.state.LogFile = "C:\\Apps\\brlog.dat";
    app.state.env.ProfileList = {"Outlook", "Work", ""};
    tp.drive.MakeFolder("C:\\Apps");
  }

  TestPlatform tp;
  App app{tp.platform};
  FrmMain form{app};
};

TEST_F(MenusTest, TaskSchedulerShowsTheLoadedWindowAndEndsUnloaded) {
  bool sawLoaded = false;
  tp.ui.onModal = [&](Form& shown) {
    auto& window = dynamic_cast<Frmoption&>(shown);
    sawLoaded = window.loaded;
    EXPECT_EQ(window.cbSource.items, (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(window.cmbStartTime.items.size(), 48u);
    window.Command2_Click();  // Cancel
    EXPECT_FALSE(window.loaded);
  };
  form.TaskScheduler_Click();
  EXPECT_EQ(tp.ui.modals, std::vector<std::string>{"Frmoption"});
  EXPECT_TRUE(sawLoaded);
}

TEST_F(MenusTest, SettingsShowsThePreferencesReadAtThisOpening) {
  tp.ui.onModal = [&](Form& shown) {
    auto& window = dynamic_cast<Frmsettings&>(shown);
    EXPECT_TRUE(window.loaded);
    EXPECT_EQ(window.Text1.text, "C:\\Apps") << "no settings file: the program folder";
    EXPECT_TRUE(window.Option1.value);
    window.Command3_Click();
  };
  form.settings_Click();
  EXPECT_EQ(tp.ui.modals, std::vector<std::string>{"Frmsettings"});
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.SettingsFile)) << "Cancel writes nothing";
}

TEST_F(MenusTest, AboutFromMenuAndButtonShowsTitleAndFilePlaces) {
  std::vector<std::string> seen;
  tp.ui.onModal = [&](Form& shown) {
    auto& about = dynamic_cast<FrmAbout&>(shown);
    seen.push_back(about.lblTitle.caption + "|" + about.lblSettings.caption + "|" + about.lblLog.caption);
    about.cmdOK_Click();
    EXPECT_FALSE(about.loaded);
  };
  form.about_Click();
  form.cmdAbout_Click();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "Tarvo Outlook Backup V3.00|Settings: C:\\Apps\\settings.dat|Log: C:\\Apps\\brlog.dat");
  EXPECT_EQ(seen[1], seen[0]);
  EXPECT_EQ(tp.ui.modals, (std::vector<std::string>{"frmabout", "frmabout"}));
}

TEST_F(MenusTest, AboutReadsThePathsAtEachShowing) {
  FrmAbout about(app.state);
  app.state.SettingsFile = "D:\\Other\\settings.dat";
  app.state.ExeFolder = "C:\\Program Files\\Tarvo Outlook Backup";
  app.state.DataFolder = "D:\\Other";
  about.Form_Load();
  EXPECT_EQ(about.lblSettings.caption, "Settings: D:\\Other\\settings.dat");
  EXPECT_EQ(about.lblProgram.caption, "Program folder: C:\\Program Files\\Tarvo Outlook Backup");
  EXPECT_EQ(about.lblData.caption, "Data folder: D:\\Other");
  EXPECT_EQ(about.lblVersion.caption, "Version 3.0.0");
  EXPECT_TRUE(about.loaded);
}

TEST_F(MenusTest, DiscMenuOpensTheDiscWindowWithAnEmptyImage) {
  // Left over from a backup whose window was not opened: the menu never takes it.
  app.state.BurnFileName = "old.tvo";
  app.state.BurnFilePath = "C:\\Apps\\old.tvo";
  tp.drive.Put(app.state.BurnFilePath, "archive");
  tp.ui.onModal = [&](Form& shown) {
    auto& window = dynamic_cast<FrmMaindvdwrite&>(shown);
    EXPECT_TRUE(window.loaded);
    EXPECT_EQ(window.txtVolIdentifier.text, "Outlook Data Backup CD");
    ASSERT_EQ(window.tvwFolders.nodes.size(), 1u);
    EXPECT_EQ(window.tvwFolders.nodes[0].text, "Outlook Data Backup CD");
    EXPECT_TRUE(window.lvwImageFiles.items.empty());
    EXPECT_EQ(window.sbrStatus.panels[1], "Files: 0");
    // The image-file drive is always offered.
    EXPECT_EQ(window.cboDevices.items.size(), 1u);
    EXPECT_EQ(window.cboWriteSpeed.items, std::vector<std::string>{"MAX"});
  };
  form.backuptocd_Click();
  EXPECT_EQ(tp.ui.modals, std::vector<std::string>{"frmMaindvdwrite"});
  EXPECT_TRUE(tp.ui.messages.empty());
}

}  // namespace
}  // namespace tarvo
