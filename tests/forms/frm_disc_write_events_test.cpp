// The disc window's write side: the write command and its checks, the engine's write,
// warning, error and verification events, cancelling, and a real write to an image file.
#include <cstdio>
#include <filesystem>

#include "disc/image_file_drive.h"
#include "disc_form_fixture.h"

namespace tarvo {
namespace {

using Strings = std::vector<std::string>;

TEST_F(DiscFormTest, EveryWriteStateSetsPanelBarAndBox) {
  struct Case {
    int state, percent;
    const char* panel;  // "before": unchanged
    int bar;            // -1: unchanged
    const char* box;    // "": none
    bool idleAfter;
  } cases[] = {
      {0, 50, "Preparing Image....", -1, "", false},
      {1, 17, "before", 17, "", false},
      {2, 42, "before", 42, "", false},
      {3, 100, "before", 100, "", false},
      {4, 50, "Closing Track....", -1, "", false},
      {5, 50, "Writing Lead-in....", -1, "", false},
      {6, 50, "Writing Lead-out....", -1, "", false},
      {7, 50, "before", -1, "", false},
      {8, 50, "Updating Volume....", -1, "", false},
      {9, 100, "Write Completed!", -1, "Write Complete!", true},
      {10, 0, "Write Cancelled....", -1, "Write Cancelled!", true},
      {11, 0, "Write Error!", -1, "", true},
      {12, 50, "before", -1, "", false},
  };
  Open();
  engine->WriteJob().AutoVerify = true;
  form->WriteState(100, 9);
  EXPECT_EQ(Last().text, "Write and Verify Complete!");
  engine->WriteJob().AutoVerify = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    tp.ui.messages.clear();
    form->SetControlsEnabled(false);
    form->sbrStatus.panels[0] = "before";
    form->prgTotalProgress.value = 5;
    form->WriteState(c.percent, c.state);
    EXPECT_EQ(form->sbrStatus.panels[0], c.panel);
    EXPECT_EQ(form->prgTotalProgress.value, c.bar < 0 ? 5 : c.bar);
    EXPECT_EQ(Texts(), *c.box ? Strings{c.box} : Strings{});
    if (*c.box) {
      EXPECT_EQ(Last().icon, MsgIcon::Information);
    }
    EXPECT_EQ(form->mbIdle, c.idleAfter);
    EXPECT_EQ(form->cmdWriteDisc.enabled, c.idleAfter);
    EXPECT_EQ(form->cmdCancel.enabled, !c.idleAfter);
  }
}

TEST_F(DiscFormTest, EngineErrorsReadByCategory) {
  EngineError e;
  e.Description = "general";
  e.Device = {21, "drive says no", "sense A", "sense B"};
  e.FileError = {3, "path not found", "C:\\x.pst"};
  e.SystemCode = 112;
  const std::pair<int, const char*> cases[] = {
      {1, "Device Error: (21)   drive says no\r\nsense A - sense B"},
      {2, "Output File Error: (3)   path not found\r\n'C:\\x.pst'"},
      {3, "Source File Error: (3)   path not found\r\n'C:\\x.pst'"},
      {5, "System Error: (112)   general"},
      {4, "Write Error: (4)   general"},
      {0, "Write Error: (0)   general"},
  };
  Open();
  for (auto [category, text] : cases) {
    e.Category = category;
    form->WriteError(e);
    EXPECT_EQ(Last().text, text);
    EXPECT_EQ(Last().caption, "");
    EXPECT_EQ(Last().icon, MsgIcon::Critical);
  }
}

TEST_F(DiscFormTest, VerificationReportsEachFileAndMovesTheBar) {
  struct Case {
    int result, done, total;
    const char* box;  // "": none
    int bar;
  } cases[] = {
      {0, 1, 4, "Verify Error - Could not read Source file from disc: ", 25},
      {1, 2, 4, "Verify Error - Could not read Destination file from disc: ", 50},
      {2, 3, 4, "Verify Error - Source and Destination file did not match: ", 75},
      {5, 4, 4, "Verify Error - Size of Source and Destination file did not match: ", 100},
      {3, 1, 8, "", 12},  // 12.5: halves go to the even number
      {4, 3, 8, "", 38},  // 37.5
      {3, 0, 0, "", 0},   // no total: the bar stays at 0
  };
  Open();
  ImageItem item;
  item.ImagePath = "\\Mail\\a.pst";
  item.SourcePath = "C:\\src\\a.pst";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    tp.ui.messages.clear();
    form->prgTotalProgress.value = 60;
    form->VerifyFile(item, c.result, c.done, c.total);
    if (*c.box) {
      ASSERT_EQ(tp.ui.messages.size(), 1u);
      EXPECT_EQ(Last().text, std::string(c.box) + "\r\n\\Mail\\a.pst (disc)\r\nC:\\src\\a.pst (source)");
      EXPECT_EQ(Last().caption, "");
      EXPECT_EQ(Last().icon, MsgIcon::None);
      EXPECT_EQ(Last().buttons, MsgButtons::Ok);
    } else {
      EXPECT_TRUE(tp.ui.messages.empty());
    }
    EXPECT_EQ(form->sbrStatus.panels[0], "Auto-Verify... \\Mail\\a.pst");
    EXPECT_EQ(form->prgTotalProgress.value, c.bar);
  }
  form->VerifyStart(12);
  EXPECT_EQ(form->sbrStatus.panels[0], "Auto-Verify... 12 new files.");
  form->VerifyDone(100, 98);
  EXPECT_EQ(form->sbrStatus.panels[0], "Auto-Verify...Complete (98 of 100 MATCHED)");
  form->TrackRead(3, 1234, "Lead-in");
  EXPECT_EQ(form->sbrStatus.panels[0], "Track: 03 - Reading...1234 - Lead-in");
  form->TrackRead(112, 0, "x");
  EXPECT_EQ(form->sbrStatus.panels[0], "Track: 112 - Reading...0 - x");
}

TEST_F(DiscFormTest, TheOptionsReachTheJobAndTheDrive) {
  struct Case {
    int ticks;  // value of every option box
    bool on;
    int writeMode;
  } cases[] = {{1, true, 248}, {0, false, 2}, {2, false, 2}};  // 2: grey counts as not ticked
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ticks);
    for (CheckBox* box : {&form->chkAutoVerify, &form->chkUseMode2XA, &form->chkCacheImage, &form->chkTestWrite,
                          &form->chkFinalizeDisc, &form->chkUseBufferProtect, &form->chkDiscAtOnce})
      box->value = c.ticks;
    form->cboWriteSpeed.listIndex = 1;
    form->cboVolumeType.listIndex = 2;
    form->txtVolIdentifier.text = "My Disc";
    drive->writes.clear();
    form->cmdWriteDisc_Click();
    PumpUntilIdle();
    const DiscWriteJob& job = engine->WriteJob();
    EXPECT_EQ(const_cast<DiscWriteJob&>(job).Volume().VolumeIdentifier, "My Disc");
    EXPECT_EQ(job.OptionB, 1);
    EXPECT_EQ(job.WriteSpeed, 3528u);
    EXPECT_EQ(job.VolumeType, 3);
    EXPECT_EQ(job.AutoVerify, c.on);
    EXPECT_EQ(job.Mode2XA, c.on);
    EXPECT_EQ(job.CacheImage, c.on);
    EXPECT_EQ(job.TestWrite, c.on);
    EXPECT_EQ(job.Finalize, c.on);
    EXPECT_EQ(job.BufferProtect, c.on);
    EXPECT_EQ(job.WriteMode, c.writeMode);
    ASSERT_EQ(drive->writes.size(), 1u);
    EXPECT_EQ(drive->writes[0].WriteSpeed, 3528u);
    EXPECT_EQ(drive->writes[0].BufferProtect, c.on);
    EXPECT_EQ(drive->writes[0].TestWrite, c.on);
  }
}

TEST_F(DiscFormTest, TheDiscIsCheckedBeforeAWriteStarts) {
  Open();
  const double image = engine->WriteJob().ImageSize();
  const auto blocks = static_cast<std::uint32_t>(image / 2048);
  ASSERT_EQ(blocks * 2048.0, image);
  char room[64];
  std::snprintf(room, sizeof room, "%.2f", (blocks - 1) * 2048.0 / 1048576);
  char needed[64];
  std::snprintf(needed, sizeof needed, "%.2f", image / 1048576);
  struct Case {
    DiscMedia media;
    std::uint32_t freeBlocks;
    std::string box;  // "": the write starts
  } cases[] = {
      {{true, 0, false}, blocks, "Please Insert Writable Media before continuing!"},
      {{false, 1, false}, blocks, "Please Insert Writable Media before continuing!"},
      {{true, 1, false}, blocks - 1,
       "Free Space on the loaded disc is " + std::string(room) + " MB!\r\nThis data image requires " + needed +
           " MB of Free Space!"},
      {{true, 1, false}, blocks, ""},  // exactly enough
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    tp.ui.messages.clear();
    drive->media = c.media;
    drive->freeBlocks = c.freeBlocks;
    drive->refreshes.clear();
    form->cmdWriteDisc_Click();
    EXPECT_EQ(drive->refreshes, std::vector<bool>{true});
    if (c.box.empty()) {
      EXPECT_FALSE(form->mbIdle);
      PumpUntilIdle();
      EXPECT_EQ(Texts(), Strings{"Write Complete!"});
    } else {
      EXPECT_EQ(Texts(), Strings{c.box});
      EXPECT_EQ(Last().icon, MsgIcon::Information);
      EXPECT_TRUE(form->mbIdle);
      EXPECT_TRUE(drive->writes.empty());
    }
  }
}

TEST_F(DiscFormTest, ARefusedStartIsToldAndTheWindowStaysIdle) {
  Open();
  form->cboVolumeType.listIndex = -1;  // no volume type: the engine refuses
  form->cmdWriteDisc_Click();
  EXPECT_EQ(Texts(), Strings{"Disc Write could not be started."});
  EXPECT_EQ(Last().icon, MsgIcon::Critical);
  EXPECT_TRUE(form->mbIdle);
  EXPECT_TRUE(form->cmdWriteDisc.enabled);
}

TEST_F(DiscFormTest, AFileWarningsCancelStopsTheWriteAndOkGoesOn) {
  struct Case {
    int answer;
    const char* panel;
    const char* endBox;
  } cases[] = {{kMsgCancel, "Write Cancelled....", "Write Cancelled!"},
               {kMsgOk, "Write Completed!", "Write Complete!"}};
  drive->holdWrite = true;
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    tp.ui.messages.clear();
    *drive->release = false;
    form->cmdWriteDisc_Click();
    ASSERT_FALSE(form->mbIdle);
    tp.ui.answers.push_back(c.answer);
    bool goOn = false;
    form->FileWarning({32, "The file is in use.", "C:\\src\\a.pst"}, goOn);
    EXPECT_TRUE(goOn);
    EXPECT_EQ(form->sbrStatus.panels[0], "File Warning!");
    EXPECT_EQ(tp.ui.messages[0].text, "File Warning(32):C:\\src\\a.pst\r\nThe file is in use.");
    EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(tp.ui.messages[0].buttons, MsgButtons::OkCancel);
    if (c.answer == kMsgOk) *drive->release = true;
    PumpUntilIdle();
    EXPECT_EQ(form->sbrStatus.panels[0], c.panel);
    EXPECT_EQ(Last().text, c.endBox);
  }
}

TEST_F(DiscFormTest, ACancelledWriteThatNeverEndsIsGivenUpAndTheWindowCloses) {
  drive->holdWrite = true;
  drive->deafToAbort = true;
  Open();
  form->cmdWriteDisc_Click();
  form->cmdCancel_Click();
  EXPECT_EQ(form->sbrStatus.panels[0], "Aborting Write...Please Wait!");
  now += FrmMaindvdwrite::kCancelGrace - std::chrono::seconds(1);
  form->tmrEvents_Timer();
  EXPECT_FALSE(form->mbIdle);
  EXPECT_FALSE(form->Form_Unload());
  now += std::chrono::seconds(1);
  form->tmrEvents_Timer();
  EXPECT_TRUE(form->mbIdle);
  EXPECT_EQ(form->sbrStatus.panels[0], "Write Cancelled....");
  EXPECT_TRUE(form->Form_Unload());
  EXPECT_FALSE(form->loaded);
}

// Real files to the image-file drive, read back and compared, as a user would run it.
TEST_F(DiscFormTest, WritingToAnImageFileVerifiesEveryFile) {
  tp.drive.Put("C:\\src\\Mail\\a.pst", std::string(300000, 'p'));
  tp.drive.Put("C:\\src\\Mail\\Sub\\b.txt", "b");
  tp.drive.Put("C:\\src\\c.txt", "c");
  tp.drive.MakeFolder("C:\\out");
  devices.clear();
  devices.push_back(std::make_unique<ImageFileDrive>(tp.drive.fs(), "C:\\out"));
  drive = nullptr;
  Open();
  form->tvwFolders_OLEDragDrop({"C:\\src\\Mail", "C:\\src\\c.txt"});
  form->txtVolIdentifier.text = "Outlook Data Backup CD";
  form->chkAutoVerify.value = 1;
  form->cmdWriteDisc_Click();
  PumpUntilIdle();
  EXPECT_EQ(Texts(), Strings{"Write and Verify Complete!"});
  EXPECT_EQ(form->sbrStatus.panels[0], "Write Completed!");
  EXPECT_TRUE(std::filesystem::exists(tp.drive.Host("C:\\out\\Outlook Data Backup CD.iso")));
}

}  // namespace
}  // namespace tarvo
