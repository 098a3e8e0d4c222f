// Real-drive logic against a scripted recorder: what the engine lists, the write states,
// cancel, the space check, errors and erase.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "disc/disc_engine.h"
#include "disc/image_reader.h"
#include "disc/image_stream.h"
#include "disc/recorder_drive.h"
#include "support/disc_event_log.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

class StringWriter : public FileWriter {
 public:
  std::string bytes;
  bool Write(const char* d, std::size_t n) override { return bytes.append(d, n), true; }
  bool Close() override { return true; }
};

class StringReader : public FileReader {
 public:
  explicit StringReader(const std::string& bytes) : bytes_(bytes) {}
  std::optional<std::size_t> Read(char* buf, std::size_t size) override {
    const std::size_t n = std::min(size, bytes_.size() - at_);
    bytes_.copy(buf, n, at_);
    at_ += n;
    return n;
  }
  bool Seek(std::uint64_t offset) override { return offset <= bytes_.size() && (at_ = offset, true); }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

std::string ReadBack(FileReader& image, const DiscFile& file) {
  DiscFileReader reader(image, file);
  std::string bytes;
  char buf[4096];
  while (auto n = reader.Read(buf, sizeof buf)) {
    if (*n == 0) break;
    bytes.append(buf, *n);
  }
  return bytes;
}

// One recorder whose disc the test picks; writes are taken whole into `written`.
struct ScriptedRecorder : RecorderApi {
  RecorderInfo info{"TSSTcorp", "CDDVDW SH-224DB  ", "E:\\", true, {0x09, 0x0A, 0x11, 0x13, 0x1A, 0x1B}, {0x2D}};
  RecorderMediaState disc;
  std::string written;
  std::uint64_t askedSectors = 0;
  std::uint32_t askedSpeed = 0;
  int writes = 0;
  std::uint32_t failWith = 0;  // the service's error, raised halfway
  std::vector<bool> erases;    // full flag per erase
  bool readable = true;        // the written disc can be read back

  int Count() override { return 1; }
  std::optional<RecorderInfo> Info(int) override { return info; }
  RecorderMediaState Media(int) override { return disc; }
  bool Eject(int) override { return true; }
  bool CloseTray(int) override { return true; }
  RecorderResult Write(int, std::uint64_t sectors, std::uint32_t speed, bool, const RecorderSource& source,
                       const RecorderProgressFn& progress) override {
    ++writes;
    askedSectors = sectors;
    askedSpeed = speed;
    for (int phase : {kRecorderValidating, kRecorderInitializing})
      if (!progress({phase, 0, 0})) return {false, true, 0, ""};
    std::vector<char> buffer(64 * 1024);
    while (auto n = source(buffer.data(), buffer.size())) {
      if (*n == 0) break;
      written.append(buffer.data(), *n);
      if (failWith && written.size() * 2 >= sectors * 2048) return {false, false, failWith, "Write failed."};
      if (!progress({kRecorderWritingData, written.size() / 2048, sectors})) return {false, true, 0, ""};
    }
    progress({kRecorderFinalizing, 0, 0});
    return {true, false, 0, ""};
  }
  std::unique_ptr<FileReader> OpenDisc(int) override {
    return readable ? std::make_unique<StringReader>(written) : nullptr;
  }
  RecorderResult Erase(int, bool full, const RecorderProgressFn& progress) override {
    erases.push_back(full);
    for (int s = 0; s <= 10; ++s) progress({0, static_cast<std::uint64_t>(s), 10});
    return failWith ? RecorderResult{false, false, failWith, "Erase failed."} : RecorderResult{true, false, 0, ""};
  }
};

RecorderMediaState Disc(PhysicalMedia type, bool writable, std::uint32_t free) {
  return {type, true, writable, free, {2720, 5440, 10880}};
}

class RecorderDriveTest : public ::testing::Test {
 protected:
  RecorderDriveTest() {
    drive.Put("C:\\src\\a.txt", "alpha");
    drive.Put("C:\\src\\sub\\b.bin", std::string(300000, 'b'));
    recorder->disc = Disc(PhysicalMedia::DvdPlusR, true, 2'295'104);
  }
  void Open() {
    engine = std::make_unique<DiscEngine>(drive.fs(), RecorderDrives(recorder));
    engine->SetEvents(&log);
    engine->WriteJob().Volume().VolumeIdentifier = "BACKUP";
    ASSERT_TRUE(engine->WriteJob().Image().AddImageFolder("C:\\src\\*.*", "\\"));
  }
  void Pump(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < limit) {
      engine->WaitForEvents(std::chrono::milliseconds(50));
      engine->DeliverEvents();
    }
    ASSERT_TRUE(done());
  }
  void WriteToEnd() {
    ASSERT_TRUE(engine->WriteJob().StartWrite(engine->Device(0)));
    Pump([&] { return !log.states.empty() && log.states.back().first >= kWriteCompleted; });
  }
  std::string Composed() {
    StringWriter out;
    auto& job = engine->WriteJob();
    StreamImage(PlanImage(job.Image().Items(), job.VolumeType, "BACKUP", job.UseFileDates, 0), drive.fs(), out,
                [](std::uint64_t) { return true; });
    return out.bytes;
  }

  TempDrive drive;
  std::shared_ptr<ScriptedRecorder> recorder = std::make_shared<ScriptedRecorder>();
  std::unique_ptr<DiscEngine> engine;
  DiscEventLog log;
};

TEST_F(RecorderDriveTest, ListsTheDriveWithNameSpeedsAndCapabilities) {
  Open();
  ASSERT_EQ(engine->DeviceCount(), 1);
  DiscDevice& d = engine->Device(0);
  EXPECT_EQ(d.Name(), "TSSTcorp CDDVDW SH-224DB");
  EXPECT_TRUE(d.IsWriter());
  ASSERT_EQ(d.WriteSpeedCount(), 3);
  EXPECT_DOUBLE_EQ(d.SpeedFactor(d.WriteSpeed(0)), 4.0);  // DVD: 680 sectors/s is 1x
  recorder->disc = Disc(PhysicalMedia::CdR, true, 1000);
  recorder->disc.writeSpeeds = {3000};
  d.RefreshMedia(true);
  EXPECT_DOUBLE_EQ(d.SpeedFactor(d.WriteSpeed(0)), 40.0);  // CD: 75
  recorder->disc = Disc(PhysicalMedia::BdR, true, 1000);
  d.RefreshMedia(true);
  EXPECT_DOUBLE_EQ(d.SpeedFactor(4390), 2.0);  // BD: 2195
  EXPECT_TRUE(d.HasCapability(kCapBufferProtect));
  recorder->info.featurePages = {0x1F};
  EXPECT_FALSE(RecorderDrives(recorder)[0]->HasCapability(kCapBufferProtect));
}

// Each erasable pair holds for a drive writing that format and a disc of that kind, and
// for no other drive.
TEST_F(RecorderDriveTest, ErasePairsMatchRealDrivesAndDiscs) {
  const struct { int cap; int profile; PhysicalMedia disc; } pairs[] = {
      {17, 0x12, PhysicalMedia::DvdRam}, {19, 0x13, PhysicalMedia::DvdDashRw}, {22, 0x0A, PhysicalMedia::CdRw},
      {23, 0x1A, PhysicalMedia::DvdPlusRw}, {27, 0x43, PhysicalMedia::BdRe}};
  const int expectedMedia[] = {9, 4, 2, 5, 15};
  for (std::size_t i = 0; i < std::size(pairs); ++i) {
    recorder->info.profiles = {0x09, pairs[i].profile};
    recorder->disc = Disc(pairs[i].disc, true, 100);
    auto d = RecorderDrives(recorder);
    EXPECT_TRUE(d[0]->Media().IsRewritable) << i;
    EXPECT_EQ(d[0]->Media().MediaType, expectedMedia[i]) << i;
    for (const auto& other : pairs) EXPECT_EQ(d[0]->HasCapability(other.cap), other.cap == pairs[i].cap) << i;
  }
  for (PhysicalMedia once : {PhysicalMedia::CdR, PhysicalMedia::DvdPlusR, PhysicalMedia::BdR, PhysicalMedia::DvdRom})
    EXPECT_FALSE(IsRewritableMedia(MediaTypeOf(once)));
}

TEST_F(RecorderDriveTest, WritesTheComposedImageWithStatesInOrder) {
  Open();
  engine->WriteJob().WriteSpeed = 5440;
  WriteToEnd();
  EXPECT_EQ(Codes(log.states), (std::vector<int>{kWritePreparing, 2, kWriteClosingTrack, kWriteLeadOut, kWriteCompleted}));
  EXPECT_TRUE(log.errors.empty());
  EXPECT_EQ(log.states.back().second, 100);
  const std::string image = Composed();
  EXPECT_EQ(recorder->written.size(), image.size());
  // What reached the recorder is the image: its files read back whole.
  StringReader disc(recorder->written);
  const auto tree = ReadDiscTree(disc, DiscTree::Udf);
  ASSERT_TRUE(tree);
  EXPECT_EQ(ReadBack(disc, tree->at("\\a.txt")), "alpha");
  EXPECT_EQ(ReadBack(disc, tree->at("\\sub\\b.bin")), std::string(300000, 'b'));
  EXPECT_EQ(recorder->askedSectors * 2048, image.size());
  EXPECT_EQ(recorder->askedSpeed, 5440u);

  // A test write reads every source and records nothing.
  log = DiscEventLog{};
  engine->WriteJob().TestWrite = true;
  WriteToEnd();
  EXPECT_EQ(Codes(log.states), (std::vector<int>{kWritePreparing, 2, kWriteClosingTrack, kWriteLeadOut, kWriteCompleted}));
  EXPECT_EQ(recorder->writes, 1);
}

// Verification reads the disc back through the recorder; a damaged or unreadable disc
// shows in the results.
TEST_F(RecorderDriveTest, AutoVerifyReadsTheDiscBack) {
  Open();
  engine->WriteJob().AutoVerify = true;
  WriteToEnd();
  EXPECT_EQ(log.verifyDone, std::make_pair(2, 2));

  log = DiscEventLog{};
  recorder->readable = false;
  WriteToEnd();
  EXPECT_EQ(log.verifyDone, std::make_pair(2, 0));
  EXPECT_EQ(log.verified["\\sub\\b.bin"], kVerifyDiscUnreadable);
  EXPECT_EQ(log.states.back().first, kWriteCompleted);
}

TEST_F(RecorderDriveTest, AbortEndsInStateTenWithoutError) {
  Open();
  engine->WriteJob().Abort();  // before the start: cleared by StartWrite
  ASSERT_TRUE(engine->WriteJob().StartWrite(engine->Device(0)));
  engine->WriteJob().Abort();
  Pump([&] { return !log.states.empty() && log.states.back().first >= kWriteCompleted; });
  EXPECT_EQ(log.states.back().first, kWriteCancelled);
  EXPECT_TRUE(log.errors.empty());
}

TEST_F(RecorderDriveTest, RefusalsAndFailuresRaiseWriteErrorThenState11) {
  const struct { RecorderMediaState disc; std::uint32_t fail; int code; bool asked; } cases[] = {
      {Disc(PhysicalMedia::CdR, true, 10), 0, 2, false},          // full: too little room
      {Disc(PhysicalMedia::CdR, false, 0), 0, 1, false},          // closed disc
      {Disc(PhysicalMedia::DvdRom, false, 0), 0, 1, false},       // pressed disc
      {Disc(PhysicalMedia::DvdPlusR, true, 5000), 0xC0AA0204u, static_cast<int>(0xC0AA0204u), true},
  };
  Open();
  for (const auto& c : cases) {
    log = DiscEventLog{};
    recorder->disc = c.disc;
    recorder->failWith = c.fail;
    recorder->writes = 0;
    WriteToEnd();
    EXPECT_EQ(log.states.back().first, kWriteFailed);
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0].Category, kErrorDevice);
    EXPECT_EQ(log.errors[0].Device.Code, c.code);
    EXPECT_EQ(log.errors[0].Device.DetailA, "TSSTcorp CDDVDW SH-224DB");
    EXPECT_EQ(recorder->writes, c.asked ? 1 : 0);
  }
}

TEST_F(RecorderDriveTest, ASourceGoneDuringTheWriteIsASourceFileError) {
  Open();
  ASSERT_TRUE(drive.fs().DeleteFile("C:\\src\\sub\\b.bin"));
  WriteToEnd();
  EXPECT_EQ(log.states.back().first, kWriteFailed);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].Category, kErrorSourceFile);
  EXPECT_EQ(log.errors[0].FileError.FileName, "C:\\src\\sub\\b.bin");
}

TEST_F(RecorderDriveTest, QuickAndFullEraseReportTheirStates) {
  recorder->disc = Disc(PhysicalMedia::CdRw, true, 0);
  Open();
  for (bool quick : {true, false}) {
    log = DiscEventLog{};
    ASSERT_TRUE(engine->Device(0).StartErase(quick, engine->Device(0).EraseParameter(), engine->Queue()));
    Pump([&] { return !log.erase.empty() && log.erase.back().first >= kEraseFinished; });
    EXPECT_EQ(Codes(log.erase), (std::vector<int>{kEraseStarted, kEraseProgress, kEraseFinished}));
    EXPECT_EQ(recorder->erases.back(), !quick);
  }
  log = DiscEventLog{};
  recorder->failWith = 0xC0AA0205u;
  ASSERT_TRUE(engine->Device(0).StartErase(true, 0, engine->Queue()));
  Pump([&] { return !log.erase.empty() && log.erase.back().first >= kEraseFinished; });
  EXPECT_EQ(log.erase.back().first, kEraseFailed);
  ASSERT_EQ(log.deviceErrors.size(), 1u);
  EXPECT_EQ(log.deviceErrors[0].DetailB, "0xC0AA0205");
  recorder->disc = Disc(PhysicalMedia::CdR, true, 100);
  EXPECT_FALSE(engine->Device(0).StartErase(true, 0, engine->Queue()));  // not rewritable
}

}  // namespace
}  // namespace tarvo
