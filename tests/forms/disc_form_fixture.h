#pragma once
// The disc window over an engine of scripted drives (a reader, then a writer) on the test
// platform, with real files on the temp drive.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "disc/recorder_drive.h"
#include "forms/frm_disc_write.h"
#include "support/fake_disc_device.h"
#include "support/test_platform.h"

namespace tarvo {

class DiscFormTest : public ::testing::Test {
 protected:
  DiscFormTest() {
    app.state.SettingsFile = "C:\\Apps\\settings.dat";
    auto reader = std::make_unique<FakeDiscDevice>();
    reader->name = "Reader";
    reader->writer = false;
    auto writer = std::make_unique<FakeDiscDevice>();
    writer->name = "Writer";
    writer->capabilities = {kCapBufferProtect};
    writer->speeds = {{1764, 10.0}, {3528, 24.0}};
    drive = writer.get();
    devices.push_back(std::move(reader));
    devices.push_back(std::move(writer));
  }
  ~DiscFormTest() override {
    form.reset();
    if (drive) *drive->release = true;  // lets a held write end before the engine joins it
  }

  // Builds the engine over `devices` and loads the window.
  void Open() {
    engine = std::make_unique<DiscEngine>(tp.drive.fs(), std::move(devices));
    form = std::make_unique<FrmMaindvdwrite>(app, *engine);
    form->clock = [this] { return now; };
    form->Form_Load();
  }
  // Runs the window's timer until the write has ended, within a deadline.
  void PumpUntilIdle() {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!form->mbIdle && std::chrono::steady_clock::now() < limit) {
      engine->WaitForEvents(std::chrono::milliseconds(50));
      form->tmrEvents_Timer();
    }
    ASSERT_TRUE(form->mbIdle) << "the write did not end";
  }
  std::vector<std::string> Texts() const { return tp.ui.texts(); }
  const ShownMessage& Last() const { return tp.ui.messages.back(); }

  TestPlatform tp;
  App app{tp.platform};
  std::vector<std::unique_ptr<DiscDevice>> devices;
  FakeDiscDevice* drive = nullptr;  // the writer, owned by the engine
  std::unique_ptr<DiscEngine> engine;
  std::unique_ptr<FrmMaindvdwrite> form;
  std::chrono::steady_clock::time_point now{};
};

}  // namespace tarvo
