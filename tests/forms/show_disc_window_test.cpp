// Opening the disc window over this machine's drives: a failed drive listing is told
// once and the image-file drive still serves; closing never waits for a stuck write.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "forms/frm_disc_write.h"
#include "support/fake_disc_device.h"
#include "support/test_platform.h"

namespace tarvo {
namespace {

using Strings = std::vector<std::string>;

class ShowDiscWindowTest : public ::testing::Test {
 protected:
  ShowDiscWindowTest() {
    app.state.SettingsFile = "C:\\Apps\\settings.dat";
    tp.drive.MakeFolder("C:\\Users\\tester\\Documents");
  }
  TestPlatform tp;
  App app{tp.platform};
};

TEST_F(ShowDiscWindowTest, AFailedDriveListingIsToldOnceAndImagesCanStillBeWritten) {
  app.recorderDrives = [](std::string& error) {
    error = "the burning service did not answer (0x80004005)";
    return std::vector<std::unique_ptr<DiscDevice>>{};
  };
  Strings drives;
  tp.ui.onModal = [&](Form& shown) { drives = dynamic_cast<FrmMaindvdwrite&>(shown).cboDevices.items; };
  ShowDiscWindow(app);
  ShowDiscWindow(app);
  EXPECT_EQ(tp.ui.modals, (Strings{"frmMaindvdwrite", "frmMaindvdwrite"}));
  ASSERT_EQ(tp.ui.texts(), Strings{"The CD/DVD drives could not be listed: the burning service did not answer "
                                   "(0x80004005)\r\nDisc images can still be written to a file."});
  EXPECT_EQ(tp.ui.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(drives, Strings{"ISO image file (C:\\Users\\tester\\Documents)"});
}

TEST_F(ShowDiscWindowTest, ClosingAfterAStuckCancelLeavesTheEngineToFinishAlone) {
  auto recorder = std::make_unique<FakeDiscDevice>();
  recorder->holdWrite = recorder->deafToAbort = true;
  const auto release = recorder->release;
  const auto gone = recorder->gone;
  app.recorderDrives = [&recorder](std::string&) {
    std::vector<std::unique_ptr<DiscDevice>> drives;
    drives.push_back(std::move(recorder));
    return drives;
  };
  bool closed = false;
  tp.ui.onModal = [&](Form& shown) {
    auto& window = dynamic_cast<FrmMaindvdwrite&>(shown);
    auto now = std::chrono::steady_clock::now();
    window.clock = [&now] { return now; };
    window.cmdWriteDisc_Click();
    ASSERT_FALSE(window.mbIdle);
    window.cmdCancel_Click();
    now += FrmMaindvdwrite::kCancelGrace;
    window.tmrEvents_Timer();
    closed = window.Form_Unload();
  };
  ShowDiscWindow(app);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(*gone) << "the window waited for the write";
  *release = true;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!*gone && std::chrono::steady_clock::now() < limit) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(*gone) << "the engine was never released";
}

}  // namespace
}  // namespace tarvo
