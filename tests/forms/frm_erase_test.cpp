// The erase window: which discs it erases in which drives, its states, drive errors, and
// how it borrows the engine's events from the disc window.
#include "disc/recorder_drive.h"
#include "disc_form_fixture.h"
#include "forms/frm_erase.h"

namespace tarvo {
namespace {

using Strings = std::vector<std::string>;

class EraseTest : public DiscFormTest {
 protected:
  EraseTest() : erase(tp.ui) {
    drive->media = {true, kMediaDvdRam, true};
    drive->capabilities = {kCapWritesDvdRam};
    Open();
    tp.ui.onModal = [](Form&) {};
    erase.ShowErase(drive, *engine);
  }
  FrmErase erase;
};

TEST_F(EraseTest, OnlyAcceptedDriveAndDiscPairsStart) {
  struct Case {
    std::set<int> capabilities;
    DiscMedia media;
    bool eraseStarts;
    const char* box;  // "": the erase starts
    MsgIcon icon;
  } cases[] = {
      {{kCapWritesDvdRam}, {true, kMediaDvdRam, true}, true, "", MsgIcon::None},
      {{kCapWritesDvdRw}, {true, kMediaDvdRw, true}, true, "", MsgIcon::None},
      {{kCapWritesCdRw}, {true, kMediaCdRw, true}, true, "", MsgIcon::None},
      {{kCapWritesDvdPlusRw}, {true, kMediaDvdPlusRw, true}, true, "", MsgIcon::None},
      {{kCapWritesBdRe}, {true, kMediaBdRe, true}, true, "", MsgIcon::None},
      {{kCapWritesCdRw, kCapWritesDvdRam}, {true, kMediaDvdRam, true}, true, "", MsgIcon::None},
      {{kCapWritesDvdRw}, {true, kMediaDvdRam, true}, true,
       "Selected drive does not support re-writable discs of this format.", MsgIcon::Information},
      {{kCapWritesDvdRam}, {true, 0, true}, true, "No Media Loaded.", MsgIcon::Information},
      {{kCapWritesDvdRam}, {true, kMediaDvdR, false}, true, "The current media is not re-writable.",
       MsgIcon::Information},
      {{kCapWritesDvdRam}, {true, kMediaDvdRam, true}, false, "Could not start Erase operation!!!",
       MsgIcon::Critical},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    tp.ui.messages.clear();
    drive->erases.clear();
    drive->capabilities = c.capabilities;
    drive->media = c.media;
    drive->eraseStarts = c.eraseStarts;
    erase.ShowErase(drive, *engine);  // a refusal closes the window
    erase.cmdErase_Click();
    if (*c.box) {
      EXPECT_EQ(Texts(), Strings{c.box});
      EXPECT_EQ(Last().icon, c.icon);
      EXPECT_FALSE(erase.loaded);
    } else {
      EXPECT_TRUE(tp.ui.messages.empty());
      EXPECT_TRUE(erase.loaded);
    }
    const bool asked = c.eraseStarts ? !*c.box : true;
    EXPECT_EQ(drive->erases.size(), asked ? 1u : 0u);
  }
  drive->capabilities = {kCapWritesDvdRam};
  drive->media = {true, kMediaDvdRam, true};
  drive->eraseStarts = true;
  drive->erases.clear();
  erase.ShowErase(drive, *engine);
  erase.chkQuikErase.value = 0;
  erase.cmdErase_Click();
  EXPECT_EQ(drive->erases, (std::vector<std::pair<bool, std::uint32_t>>{{false, 7}}));
}

TEST_F(EraseTest, EraseStatesRunTheWindow) {
  erase.EraseState(0, 3);
  EXPECT_TRUE(erase.mbErasing);
  EXPECT_EQ(erase.lblStatus.caption, "Erasing Disc...Please Wait!!");
  EXPECT_FALSE(erase.cmdErase.enabled);
  EXPECT_FALSE(erase.cmdCancel.enabled);
  EXPECT_EQ(erase.prgEraseProgress.value, 3);
  EXPECT_FALSE(erase.Form_Unload());
  erase.cmdCancel_Click();
  EXPECT_TRUE(erase.loaded);
  erase.EraseState(1, 60);
  EXPECT_EQ(erase.prgEraseProgress.value, 60);
  erase.EraseState(7, 90);
  EXPECT_EQ(erase.prgEraseProgress.value, 60);
  EXPECT_TRUE(tp.ui.messages.empty());

  erase.DeviceErrorRaised({5, "Medium error", "sense 3", "ASC 0x11"});
  EXPECT_EQ(Texts(), Strings{"Device Error: (5)   Medium error\r\n(ASC 0x11) sense 3"});
  EXPECT_EQ(Last().caption, "");
  EXPECT_EQ(Last().icon, MsgIcon::Critical);
  EXPECT_FALSE(erase.mbErasing);
  EXPECT_TRUE(erase.cmdErase.enabled);
  EXPECT_TRUE(erase.loaded);

  erase.EraseState(0, 0);
  erase.EraseState(2, 100);
  EXPECT_EQ(erase.lblStatus.caption, "Erase operation complete!!!");
  EXPECT_EQ(Last().text, "Erase Completed!!!");
  EXPECT_EQ(Last().icon, MsgIcon::Information);
  EXPECT_FALSE(erase.loaded);

  tp.ui.messages.clear();
  erase.loaded = true;
  erase.EraseState(0, 0);
  erase.EraseState(3, 0);
  EXPECT_EQ(erase.lblStatus.caption, "Error Erasing Disc!!!");
  EXPECT_TRUE(tp.ui.messages.empty());
  EXPECT_FALSE(erase.loaded);
  EXPECT_TRUE(erase.cmdErase.enabled);
}

// From the disc window's menu: the erase window takes the engine's events while shown.
TEST_F(EraseTest, TheDiscWindowsEraseCommandRunsAnEraseToTheEnd) {
  drive->eraseEvents = {{0, 0}, {1, 50}, {2, 100}};
  bool sawEnd = false;
  tp.ui.onModal = [&](Form& shown) {
    auto& window = dynamic_cast<FrmErase&>(shown);
    EXPECT_EQ(window.caption, "Erase Re-Writable CD/DVD");
    EXPECT_EQ(window.chkQuikErase.value, 1);
    window.cmdErase_Click();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (window.loaded && std::chrono::steady_clock::now() < limit) window.tmrEvents_Timer();
    sawEnd = !window.loaded;
  };
  form->mnuDeviceEraseDisc_Click();
  EXPECT_TRUE(sawEnd);
  EXPECT_EQ(Last().text, "Erase Completed!!!");
  EXPECT_EQ(drive->erases.back(), (std::pair<bool, std::uint32_t>{true, 7}));
  EXPECT_EQ(engine->Events(), form.get());
}

}  // namespace
}  // namespace tarvo
