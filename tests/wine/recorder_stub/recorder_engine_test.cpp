// The engine over the real IMAPI2 client, talking to the stand-in recorder registered in
// the test prefix: listing, writing with its states, cancel, the space check, errors and
// erase. The stand-in reads its disc from the environment at every call.
#include <gtest/gtest.h>
#include <windows.h>
#undef DeleteFile  // FileSystem::DeleteFile, not the Win32 macro

#include <chrono>
#include <functional>

#include "disc/disc_engine.h"
#include "disc/image_file_drive.h"
#include "disc/image_reader.h"
#include "disc/recorder_drive.h"
#include "platform/host_file_system.h"
#include "support/disc_event_log.h"
#include "support/fake_system.h"

namespace tarvo {
namespace {

void SetEnv(const char* name, const std::string& value) { SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str()); }

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131) ^ (i >> 9));
  return s;
}

class RecorderEngineTest : public ::testing::Test {
 protected:
  RecorderEngineTest() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    work = std::string(temp) + "tarvo-recorder-test";
    files.CreateFolder(work);
    files.CreateFolder(work + "\\src");
    files.CreateFolder(work + "\\src\\Ordner");
    files.WriteAll(work + "\\src\\note.txt", "a short note");
    files.WriteAll(work + "\\src\\Ordner\\data.bin", Pattern(3 << 20));
    image = work + "\\written.iso";
    files.DeleteFile(image);
    SetEnv("TARVO_RECORDER_DISC", "blank");
    SetEnv("TARVO_RECORDER_FAIL", "");
    SetEnv("TARVO_RECORDER_OUTPUT", image);
    engine = std::make_unique<DiscEngine>(files, RecorderDrives(MakeRecorderApi()));
    engine->SetEvents(&log);
    engine->WriteJob().Volume().VolumeIdentifier = "TARVO";
    EXPECT_TRUE(engine->WriteJob().Image().AddImageFolder(work + "\\src\\*.*", "\\"));
  }
  DiscDevice& drive() { return engine->Device(0); }
  void Pump(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < limit) {
      engine->WaitForEvents(std::chrono::milliseconds(50));
      engine->DeliverEvents();
    }
    ASSERT_TRUE(done());
  }
  void WriteToEnd() {
    ASSERT_TRUE(engine->WriteJob().StartWrite(drive()));
    Pump([&] { return !log.states.empty() && log.states.back().first >= kWriteCompleted; });
  }
  void EraseToEnd(bool quick) {
    ASSERT_TRUE(drive().StartErase(quick, drive().EraseParameter(), engine->Queue()));
    Pump([&] { return !log.erase.empty() && log.erase.back().first >= kEraseFinished; });
  }

  HostFileSystem files;
  std::string work, image;
  std::unique_ptr<DiscEngine> engine;
  DiscEventLog log;
};

TEST_F(RecorderEngineTest, ListsTheRecorderWithNameSpeedsAndCapabilities) {
  FakeSystemInfo system;
  auto machine = MakeDiscEngine(files, system, work + "\\none.dat", MachineRecorderDrives());
  ASSERT_EQ(machine->DeviceCount(), 2);  // the recorder, then the image file
  EXPECT_EQ(machine->Device(0).Name(), "TARVO Stand-in Burner");
  EXPECT_EQ(machine->Device(1).Name().rfind("ISO image file (", 0), 0u);

  ASSERT_EQ(engine->DeviceCount(), 1);
  EXPECT_EQ(drive().Name(), "TARVO Stand-in Burner");
  EXPECT_TRUE(drive().IsWriter());
  ASSERT_EQ(drive().WriteSpeedCount(), 2);
  EXPECT_DOUBLE_EQ(drive().SpeedFactor(drive().WriteSpeed(0)), 4.0);
  EXPECT_DOUBLE_EQ(drive().SpeedFactor(drive().WriteSpeed(1)), 8.0);
  EXPECT_TRUE(drive().HasCapability(kCapBufferProtect));
  EXPECT_TRUE(drive().HasCapability(kCapWritesCdRw));
  EXPECT_FALSE(drive().HasCapability(kCapWritesDvdPlusRw));
  const DiscMedia blank = drive().Media();
  EXPECT_TRUE(blank.IsWritable);
  EXPECT_FALSE(blank.IsRewritable);
  EXPECT_EQ(drive().FreeBlocks(true), 2295104u);
  EXPECT_TRUE(drive().Eject());
  EXPECT_TRUE(drive().CloseTray());
  SetEnv("TARVO_RECORDER_DISC", "full");
  drive().RefreshMedia(true);
  EXPECT_DOUBLE_EQ(drive().SpeedFactor(drive().WriteSpeed(1)), 48.0);  // a CD now
  SetEnv("TARVO_RECORDER_DISC", "none");
  drive().RefreshMedia(true);
  EXPECT_EQ(drive().Media().MediaType, kMediaNone);
}

TEST_F(RecorderEngineTest, WritesTheImageWithStatesInOrder) {
  engine->WriteJob().WriteSpeed = drive().WriteSpeed(1);
  WriteToEnd();
  EXPECT_EQ(Codes(log.states), (std::vector<int>{kWritePreparing, 2, kWriteClosingTrack, kWriteLeadOut, kWriteCompleted}));
  EXPECT_TRUE(log.errors.empty());
  int last = 0;
  for (auto [state, percent] : log.states) {
    if (state != 2) continue;
    EXPECT_GE(percent, last);
    last = percent;
  }
  EXPECT_EQ(last, 100);
  auto disc = files.OpenRead(image);
  ASSERT_TRUE(disc);
  EXPECT_EQ(files.FileSize(image), static_cast<std::uint64_t>(engine->WriteJob().ImageSize()));
  const auto tree = ReadDiscTree(*disc, DiscTree::Joliet);
  ASSERT_TRUE(tree);
  DiscFileReader reader(*disc, tree->at("\\Ordner\\data.bin"));
  std::string bytes(4 << 20, '\0');
  std::size_t got = 0;
  while (auto n = reader.Read(bytes.data() + got, bytes.size() - got)) {
    if (*n == 0) break;
    got += *n;
  }
  bytes.resize(got);
  EXPECT_TRUE(bytes == Pattern(3 << 20));
}

TEST_F(RecorderEngineTest, AbortDuringTheWriteEndsInStateTen) {
  log.onState = [&](int state) {
    if (state == 2) engine->WriteJob().Abort();
  };
  SetEnv("TARVO_RECORDER_CANCELLED", "");
  WriteToEnd();
  EXPECT_EQ(log.states.back().first, kWriteCancelled);
  EXPECT_TRUE(log.errors.empty());
  char cancelled[4] = "";
  GetEnvironmentVariableA("TARVO_RECORDER_CANCELLED", cancelled, sizeof cancelled);
  EXPECT_STREQ(cancelled, "1");  // through CancelWrite
  EXPECT_LT(files.FileSize(image).value_or(0), static_cast<std::uint64_t>(engine->WriteJob().ImageSize()));
}

TEST_F(RecorderEngineTest, FullDiscIsRefusedAndRecorderFailureIsAWriteError) {
  SetEnv("TARVO_RECORDER_DISC", "full");
  ASSERT_TRUE(drive().RefreshMedia(true));
  EXPECT_TRUE(drive().Media().IsWritable);
  EXPECT_LT(drive().FreeBlocks(true) * 2048.0, engine->WriteJob().ImageSize());
  WriteToEnd();
  EXPECT_EQ(log.states.back().first, kWriteFailed);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].Category, kErrorDevice);
  EXPECT_FALSE(files.FileExists(image));  // the recorder was never asked

  log = DiscEventLog{};
  SetEnv("TARVO_RECORDER_DISC", "blank");
  SetEnv("TARVO_RECORDER_FAIL", "1");
  WriteToEnd();
  EXPECT_EQ(log.states.back().first, kWriteFailed);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].Category, kErrorDevice);
  EXPECT_EQ(static_cast<std::uint32_t>(log.errors[0].Device.Code), 0xC0AA0205u);
  EXPECT_EQ(log.errors[0].Device.Description, "The stand-in burner failed to write.");
  EXPECT_EQ(log.errors[0].Device.DetailA, "TARVO Stand-in Burner");
}

TEST_F(RecorderEngineTest, QuickAndFullEraseOfTheRewritableDisc) {
  EXPECT_FALSE(drive().StartErase(true, 0, engine->Queue()));  // a DVD+R
  SetEnv("TARVO_RECORDER_DISC", "rewritable");
  drive().RefreshMedia(false);
  const DiscMedia media = drive().Media();
  ASSERT_TRUE(media.IsRewritable);
  EXPECT_EQ(media.MediaType, kMediaDvdRw);
  EXPECT_TRUE(drive().HasCapability(kCapWritesDvdRw));  // the pair (19, 4)
  for (bool quick : {true, false}) {
    log = DiscEventLog{};
    EraseToEnd(quick);
    EXPECT_EQ(Codes(log.erase), (std::vector<int>{kEraseStarted, kEraseProgress, kEraseFinished})) << quick;
  }
  log = DiscEventLog{};
  SetEnv("TARVO_RECORDER_FAIL", "1");
  EraseToEnd(true);
  EXPECT_EQ(log.erase.back().first, kEraseFailed);
  ASSERT_EQ(log.deviceErrors.size(), 1u);
  EXPECT_EQ(log.deviceErrors[0].Description, "The stand-in burner failed to erase.");
}

}  // namespace
}  // namespace tarvo
