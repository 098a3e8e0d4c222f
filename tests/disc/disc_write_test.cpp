// Writes through the engine to the image-file drive, end to end: states, verification,
// cancelling, failures, and what verification says about a damaged image.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "disc/disc_engine.h"
#include "disc/disc_verify.h"
#include "disc/image_file_drive.h"
#include "support/fake_system.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

struct WriteLog : DiscEvents {
  std::vector<std::pair<int, int>> states;  // (state, percent)
  std::vector<EngineError> errors;
  std::vector<std::pair<std::string, int>> verified;  // (ImagePath, result)
  int verifyStart = -1;
  std::pair<int, int> verifyDone{-1, -1};
  void WriteState(int percent, int state) override { states.emplace_back(state, percent); }
  void WriteError(const EngineError& e) override { errors.push_back(e); }
  void VerifyStart(int count) override { verifyStart = count; }
  void VerifyFile(const ImageItem& item, int result, int, int) override { verified.emplace_back(item.ImagePath, result); }
  void VerifyDone(int v, int m) override { verifyDone = {v, m}; }
  bool Ended() const { return !states.empty() && states.back().first >= kWriteCompleted; }
};

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

class DiscWriteTest : public ::testing::Test {
 protected:
  DiscWriteTest() {
    drive.Put("C:\\src\\small.txt", "small file");
    drive.Put("C:\\src\\empty.dat", "");
    drive.Put("C:\\src\\Unterordner\\zufall.bin", RandomBytes(3 << 20, 1));
    drive.Put("C:\\src\\Unterordner\\Ébauche très longue au nom de plus de soixante-quatre caractères.txt",
              RandomBytes(5000, 2));
    drive.MakeFolder("C:\\out");
    std::vector<std::unique_ptr<DiscDevice>> devices;
    devices.push_back(std::make_unique<ImageFileDrive>(drive.fs(), "C:\\out"));
    engine = std::make_unique<DiscEngine>(drive.fs(), std::move(devices));
    engine->SetEvents(&log);
    job().Volume().VolumeIdentifier = "Backup: 12/08?";
    EXPECT_TRUE(job().Image().AddImageFolder("C:\\src\\*.*", "\\"));
  }
  DiscWriteJob& job() { return engine->WriteJob(); }
  void RunToEnd() {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!log.Ended() && std::chrono::steady_clock::now() < limit) {
      engine->WaitForEvents(std::chrono::milliseconds(100));
      engine->DeliverEvents();
    }
    ASSERT_TRUE(log.Ended());
  }
  std::vector<int> StateCodes() const {
    std::vector<int> codes;
    for (auto [state, percent] : log.states)
      if (codes.empty() || codes.back() != state) codes.push_back(state);
    return codes;
  }

  TempDrive drive;
  std::unique_ptr<DiscEngine> engine;
  WriteLog log;
  const std::string target = "C:\\out\\Backup_ 12_08_.iso";
};

TEST_F(DiscWriteTest, EveryVolumeTypeWritesAndVerifiesEveryFile) {
  ASSERT_EQ(engine->DeviceCount(), 1);
  EXPECT_EQ(engine->Device(0).Name(), "ISO image file (C:\\out)");
  EXPECT_EQ(engine->Device(0).WriteSpeedCount(), 0);
  EXPECT_GT(engine->Device(0).FreeBlocks(true), 0u);
  for (int type : {1, 3, 4, 5, 7}) {
    log = WriteLog{};
    job().VolumeType = type;
    job().AutoVerify = true;
    const double size = job().ImageSize();
    ASSERT_TRUE(engine->Device(0).IsWriter());
    ASSERT_TRUE(job().StartWrite(engine->Device(0)));
    EXPECT_FALSE(job().StartWrite(engine->Device(0)));  // one write at a time
    RunToEnd();
    EXPECT_EQ(StateCodes(), (std::vector<int>{kWritePreparing, 2, kWriteClosingTrack, kWriteLeadOut, kWriteCompleted}))
        << type;
    EXPECT_EQ(log.verifyStart, 4);
    EXPECT_EQ(log.verifyDone, std::make_pair(4, 4)) << type;
    for (const auto& [path, result] : log.verified) EXPECT_EQ(result, kVerifyMatched) << type << path;
    EXPECT_EQ(drive.fs().FileSize(target), static_cast<std::uint64_t>(size)) << type;
    EXPECT_EQ(drive.fs().ListFiles("C:\\out")->size(), 1u);  // no work file left behind
  }
}

// The host's files, whose sources give nothing until the gate opens: a write can be
// cancelled before it could have finished, however the threads are scheduled.
class GatedFiles : public HostFileSystem {
 public:
  using HostFileSystem::HostFileSystem;
  std::atomic<bool> open{false};
  std::unique_ptr<FileReader> OpenRead(const std::string& path) override {
    struct Gated : FileReader {
      std::unique_ptr<FileReader> inner;
      const std::atomic<bool>* open = nullptr;
      std::optional<std::size_t> Read(char* buf, std::size_t size) override {
        while (!*open) std::this_thread::yield();
        return inner->Read(buf, size);
      }
      bool Seek(std::uint64_t offset) override { return inner->Seek(offset); }
    };
    auto gated = std::make_unique<Gated>();
    gated->inner = HostFileSystem::OpenRead(path);
    gated->open = &open;
    if (!gated->inner) return nullptr;
    return gated;
  }
};

TEST_F(DiscWriteTest, AbortLeavesNoPartialImageAndKeepsTheOldOne) {
  drive.Put(target, "an older image");
  GatedFiles gated({{'C', drive.Host("C:\\")}});
  std::vector<std::unique_ptr<DiscDevice>> devices;
  devices.push_back(std::make_unique<ImageFileDrive>(gated, "C:\\out"));
  engine = std::make_unique<DiscEngine>(gated, std::move(devices));
  engine->SetEvents(&log);
  job().Volume().VolumeIdentifier = "Backup: 12/08?";
  ASSERT_TRUE(job().Image().AddImageFolder("C:\\src\\*.*", "\\"));
  ASSERT_TRUE(job().StartWrite(engine->Device(0)));
  job().Abort();
  gated.open = true;
  RunToEnd();
  EXPECT_EQ(StateCodes().back(), kWriteCancelled);
  EXPECT_TRUE(log.errors.empty());
  EXPECT_EQ(drive.Get(target), "an older image");
  EXPECT_EQ(drive.fs().ListFiles("C:\\out")->size(), 1u);
  engine.reset();  // before the files it writes through
}

TEST_F(DiscWriteTest, FailuresRaiseWriteErrorThenState11) {
  drive.Put(target, "an older image");
  ASSERT_TRUE(drive.fs().DeleteFile("C:\\src\\small.txt"));  // gone after it was added
  ASSERT_TRUE(job().StartWrite(engine->Device(0)));
  RunToEnd();
  EXPECT_EQ(StateCodes().back(), kWriteFailed);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].Category, kErrorSourceFile);
  EXPECT_EQ(log.errors[0].FileError.FileName, "C:\\src\\small.txt");
  EXPECT_EQ(drive.Get(target), "an older image");
  EXPECT_EQ(drive.fs().ListFiles("C:\\out")->size(), 1u);

  // No folder to write into: the output file is what failed.
  ImageFileDrive nowhere(drive.fs(), "C:\\missing");
  log = WriteLog{};
  job().Image().RemoveItem("\\small.txt");
  ASSERT_TRUE(job().StartWrite(nowhere));
  RunToEnd();
  EXPECT_EQ(StateCodes().back(), kWriteFailed);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].Category, kErrorOutputFile);
}

// The host's files, with a disk that is full after `room` bytes of any one write.
class FullDisk : public HostFileSystem {
 public:
  using HostFileSystem::HostFileSystem;
  std::unique_ptr<FileWriter> OpenWrite(const std::string& path) override {
    struct Limited : FileWriter {
      std::unique_ptr<FileWriter> inner;
      std::size_t room = 1 << 20;
      bool Write(const char* data, std::size_t size) override {
        if (size > room) return false;
        room -= size;
        return inner->Write(data, size);
      }
      bool Close() override { return inner->Close(); }
    };
    auto limited = std::make_unique<Limited>();
    limited->inner = HostFileSystem::OpenWrite(path);
    if (!limited->inner) return nullptr;
    return limited;
  }
};

TEST_F(DiscWriteTest, AFullDiskFailsTheWriteAndLeavesNoPartialImage) {
  drive.Put(target, "an older image");
  FullDisk full({{'C', drive.Host("C:\\")}});
  std::vector<std::unique_ptr<DiscDevice>> devices;
  devices.push_back(std::make_unique<ImageFileDrive>(full, "C:\\out"));
  DiscEngine fullEngine(full, std::move(devices));
  fullEngine.SetEvents(&log);
  fullEngine.WriteJob().Volume().VolumeIdentifier = job().Volume().VolumeIdentifier;
  ASSERT_TRUE(fullEngine.WriteJob().Image().AddImageFolder("C:\\src\\*.*", "\\"));
  ASSERT_TRUE(fullEngine.WriteJob().StartWrite(fullEngine.Device(0)));
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!log.Ended() && std::chrono::steady_clock::now() < limit) {
    fullEngine.WaitForEvents(std::chrono::milliseconds(100));
    fullEngine.DeliverEvents();
  }
  EXPECT_EQ(StateCodes().back(), kWriteFailed);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].Category, kErrorOutputFile);
  EXPECT_EQ(log.errors[0].FileError.FileName, target);
  EXPECT_EQ(drive.Get(target), "an older image");
  EXPECT_EQ(drive.fs().ListFiles("C:\\out")->size(), 1u);
}

// Damage after writing, and what verification of each tree then reports per file.
TEST_F(DiscWriteTest, VerificationReportsEachDamagedFileOnly) {
  const std::string random = "\\Unterordner\\zufall.bin";
  for (int type : {1, 3, 4}) {
    log = WriteLog{};
    job().VolumeType = type;
    ASSERT_TRUE(job().StartWrite(engine->Device(0)));
    RunToEnd();
    ASSERT_EQ(StateCodes().back(), kWriteCompleted);
    // Flip one byte inside the random file's data, found by its contents.
    std::string bytes = drive.Get(target);
    const std::string original = drive.Get("C:\\src\\Unterordner\\zufall.bin");
    const std::size_t at = bytes.find(original.substr(1 << 20, 64));
    ASSERT_NE(at, std::string::npos);
    bytes[at + 10] = static_cast<char>(bytes[at + 10] ^ 0x01);
    drive.Put(target, bytes);

    const ImageLayout layout = PlanImage(job().Image().Items(), type, job().Volume().VolumeIdentifier, true, 0);
    auto disc = drive.fs().OpenRead(target);
    EventQueue queue;
    const VerifyCounts counts = VerifyImage(job().Image().Items(), layout, drive.fs(), *disc, queue);
    log.verified.clear();
    queue.Deliver(log);
    EXPECT_EQ(counts.verified, 4);
    EXPECT_EQ(counts.matched, 3) << type;
    for (const auto& [path, result] : log.verified)
      EXPECT_EQ(result, path == random ? kVerifyDiffers : kVerifyMatched) << type << path;
  }
  // The sources changed instead: one grew, one is gone.
  drive.Put("C:\\src\\small.txt", "small file, longer now");
  ASSERT_TRUE(drive.fs().DeleteFile("C:\\src\\empty.dat"));
  const ImageLayout layout = PlanImage(job().Image().Items(), 4, job().Volume().VolumeIdentifier, true, 0);
  auto disc = drive.fs().OpenRead(target);
  EventQueue queue;
  VerifyImage(job().Image().Items(), layout, drive.fs(), *disc, queue);
  log.verified.clear();
  queue.Deliver(log);
  const std::vector<std::pair<std::string, int>> expected = {
      {"\\empty.dat", kVerifySourceUnreadable},
      {"\\small.txt", kVerifySizeDiffers},
      {random, kVerifyDiffers},
      {"\\Unterordner\\Ébauche très longue au nom de plus de soixante-quatre caractères.txt", kVerifyMatched}};
  EXPECT_EQ(log.verified, expected);
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

TEST(ImageFileDriveTest, ImagesGoToTheBackupFolderElseDocuments) {
  TempDrive drive;
  FakeSystemInfo system;
  drive.MakeFolder("C:\\Backups");
  const struct {
    const char* stored;
    const char* folder;
  } cases[] = {{"", "C:\\Users\\tester\\Documents"},
               {"0", "C:\\Users\\tester\\Documents"},
               {"C:\\Backups", "C:\\Backups"},
               {"C:\\Gone", "C:\\Users\\tester\\Documents"}};
  for (const auto& c : cases) {
    drive.Put("C:\\settings.dat", std::string("[backup]\r\nbackupfolder=") + c.stored + "\r\n");
    auto engine = MakeDiscEngine(drive.fs(), system, "C:\\settings.dat");
    ASSERT_EQ(engine->DeviceCount(), 1);
    EXPECT_EQ(engine->Device(0).Name(), std::string("ISO image file (") + c.folder + ")") << c.stored;
  }
  const struct {
    const char* label;
    const char* file;
  } names[] = {{"Outlook Data Backup CD", "Outlook Data Backup CD.iso"},
               {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j.iso"},
               {"ends with dots...", "ends with dots.iso"},
               {"", "_.iso"},
               {"CON", "_CON.iso"}};
  for (const auto& n : names) EXPECT_EQ(ImageFileName(n.label), n.file) << n.label;
}

}  // namespace
}  // namespace tarvo
