// The disc window's load, drive lists and image composition, driven through its handlers
// against the real image of the engine and scripted drives.
#include "disc_form_fixture.h"

namespace tarvo {
namespace {

using Strings = std::vector<std::string>;

TEST_F(DiscFormTest, LoadListsOnlyWritersAndPreparesTheJob) {
  Open();
  EXPECT_TRUE(tp.ui.messages.empty());
  EXPECT_EQ(form->cboDevices.items, Strings{"Writer"});
  EXPECT_EQ(form->cboDevicesData, std::vector<long>{1});  // the engine's index
  EXPECT_EQ(form->cboWriteSpeed.items, (Strings{"10.0x", "24.0x"}));
  EXPECT_EQ(form->cboWriteSpeedData, (std::vector<long>{1764, 3528}));
  EXPECT_TRUE(form->chkUseBufferProtect.enabled);
  EXPECT_EQ(form->chkUseBufferProtect.value, 1);
  EXPECT_EQ(form->cboVolumeType.text, "ISO9660/Joliet/UDF Bridge");
  EXPECT_EQ(form->cboVolumeTypeData, (std::vector<long>{1, 4, 3, 5, 7}));
  EXPECT_EQ(engine->WriteJob().VolumeType, 7);
  EXPECT_EQ(form->sbrStatus.panels[2], "Folders: 0");
  EXPECT_TRUE(form->mbIdle);
  EXPECT_FALSE(form->cmdCancel.enabled);
}

TEST_F(DiscFormTest, ADriveWithoutSpeedsOrBufferProtectionOffersMaxAndAClearedBox) {
  drive->speeds.clear();
  drive->capabilities.clear();
  Open();
  EXPECT_EQ(form->cboWriteSpeed.items, Strings{"MAX"});
  EXPECT_EQ(form->cboWriteSpeedData, std::vector<long>{0});
  EXPECT_FALSE(form->chkUseBufferProtect.enabled);
  EXPECT_EQ(form->chkUseBufferProtect.value, 0);
  form->SetControlsEnabled(true);
  EXPECT_FALSE(form->chkUseBufferProtect.enabled);
}

TEST_F(DiscFormTest, AnEngineWithoutDrivesIsReportedAndTheWindowStaysShut) {
  devices.clear();
  drive = nullptr;
  Open();
  ASSERT_EQ(tp.ui.messages.size(), 1u);
  EXPECT_EQ(Last().text, "Devices Cannot be initialized...Contact support!");
  EXPECT_EQ(Last().caption, "");
  EXPECT_EQ(Last().icon, MsgIcon::None);
  EXPECT_FALSE(form->loaded);
}

TEST_F(DiscFormTest, WithNoWriterEveryDriveCommandRefuses) {
  devices.pop_back();
  drive = nullptr;
  Open();
  ASSERT_EQ(Texts(),
            Strings{"There are no compatible devices reported.\r\nSome older devices are not currently supported."});
  EXPECT_EQ(Last().icon, MsgIcon::Information);
  EXPECT_TRUE(form->loaded);
  EXPECT_TRUE(form->cboWriteSpeed.items.empty());
  form->SetControlsEnabled(true);
  EXPECT_FALSE(form->CheckDiscSpace());
  for (auto command : {&FrmMaindvdwrite::cmdWriteDisc_Click, &FrmMaindvdwrite::mnuDeviceEject_Click,
                       &FrmMaindvdwrite::mnuDeviceCloseTray_Click, &FrmMaindvdwrite::mnuDeviceEraseDisc_Click}) {
    tp.ui.messages.clear();
    (form.get()->*command)();
    EXPECT_EQ(Texts(), Strings{"No drive is chosen.\r\nChoose a drive under Device: first."});
  }
  EXPECT_TRUE(tp.ui.modals.empty());
  EXPECT_TRUE(form->mbIdle);
}

TEST_F(DiscFormTest, TheArchiveOfABackupIsInTheImageAtLoad) {
  tp.drive.Put("C:\\Backup\\mvbox-Outlook.tvo", std::string(1234567, 'x'));
  app.state.BurnFileName = "mvbox-Outlook.tvo";
  app.state.BurnFilePath = "C:\\Backup\\mvbox-Outlook.tvo";
  Open();
  ASSERT_EQ(form->lvwImageFiles.items.size(), 1u);
  const ListItem& item = form->lvwImageFiles.items[0];
  EXPECT_EQ(item.key, "\\mvbox-Outlook.tvo");
  EXPECT_EQ(item.text, "mvbox-Outlook.tvo");
  EXPECT_EQ(item.icon, "FILE");
  EXPECT_EQ(item.subItems.at(0), "1,234.57 KB");
  EXPECT_EQ(form->sbrStatus.panels[1], "Files: 1");
  EXPECT_TRUE(app.state.BurnFileName.empty());
  EXPECT_TRUE(app.state.BurnFilePath.empty());
}

// Sizes ÷ 1000 and 12-hour dates, with the locale's marks.
TEST_F(DiscFormTest, ListedFilesShowSizeAndDateInTheLocale) {
  struct Case {
    LocaleMarks marks;
    double size;
    std::int64_t date;  // UTC
    const char* sizeText;
    const char* dateText;
  } cases[] = {
      {{}, 1234567, 1709816709, "1,234.57 KB", "03/07/2024 01:05:09 PM"},  // 2024-03-07 13:05:09
      {{}, 0, 1709769600, "0.00 KB", "03/07/2024 12:00:00 AM"},            // midnight
      {{}, 999, 1709812800, "1.00 KB", "03/07/2024 12:00:00 PM"},          // noon
      {{".", ",", ".", ":", "vorm.", "nachm."}, 1234567890, 1709816709, "1.234.567,89 KB",
       "03.07.2024 01:05:09 nachm."},
  };
  Open();
  for (const Case& c : cases) {
    tp.system.locale = c.marks;
    form->lvwImageFiles.Clear();
    ImageItem item;
    item.Name = "a.txt";
    item.ImagePath = "\\a.txt";
    item.Size = c.size;
    item.Date = c.date;
    form->ItemListed(item);
    ASSERT_EQ(form->lvwImageFiles.items.size(), 1u);
    EXPECT_EQ(form->lvwImageFiles.items[0].subItems, (Strings{c.sizeText, c.dateText}));
  }
  tp.system.locale = {};
  EXPECT_EQ(form->SizeText(734003200), "700.00 MB");
  tp.system.locale.decimal = ",";
  EXPECT_EQ(form->SizeText(1234567890123.0), "1177375,69 MB");  // no thousands mark
  drive->speeds = {{100, 0.5}, {200, 16.66}};
  form->LoadWriteSpeeds();
  EXPECT_EQ(form->cboWriteSpeed.items, (Strings{",5x", "16,7x"}));
}

TEST_F(DiscFormTest, TheLabelKeepsThirtyTwoCharactersAndNamesTheRoot) {
  Open();
  form->txtVolIdentifier.text = std::string(40, 'L');
  form->txtVolIdentifier_Change();
  EXPECT_EQ(form->txtVolIdentifier.text, std::string(32, 'L'));
  EXPECT_EQ(form->tvwFolders.Find("\\")->text, std::string(32, 'L'));
  form->txtVolIdentifier.text = "Ä" + std::string(35, 'x');  // characters, not bytes
  form->txtVolIdentifier_Change();
  EXPECT_EQ(form->txtVolIdentifier.text, "Ä" + std::string(31, 'x'));
}

}  // namespace
}  // namespace tarvo
