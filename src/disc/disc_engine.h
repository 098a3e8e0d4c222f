#pragma once
// The disc engine: drives, their discs, the one write job and its image. Every event
// reaches the caller's DiscEvents on the caller's thread: image events at once, write and
// erase events (which come from a worker thread) when the caller's pump calls
// DeliverEvents.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "disc/disc_image.h"
#include "disc/event_queue.h"
#include "disc/image_layout.h"

namespace tarvo {

// Media types (DiscMedia::MediaType). 0 means no disc; the codes of real discs are the
// drive layer's, the image file has its own.
inline constexpr int kMediaNone = 0;
inline constexpr int kMediaImageFile = 100;

struct DiscMedia {
  bool IsWritable = false;
  int MediaType = kMediaNone;
  bool IsRewritable = false;
};

struct WriteSettings {
  bool AutoVerify = false;
  bool TestWrite = false;
  std::uint32_t WriteSpeed = 0;
  bool BufferProtect = false;
};

// What a drive gets for one write; it runs on the job's worker thread.
struct WriteTask {
  const ImageLayout& layout;
  FileSystem& files;
  WriteSettings settings;
  const std::atomic<bool>& abort;
  EventQueue& events;
};

enum class WriteEnd { Completed, Cancelled, Failed };

class DiscDevice {
 public:
  virtual ~DiscDevice() = default;
  virtual std::string Name() const = 0;
  virtual bool IsWriter() const = 0;
  virtual bool HasCapability(int code) const = 0;
  virtual bool RefreshMedia(bool reload) = 0;
  virtual DiscMedia Media() const = 0;
  virtual std::uint32_t FreeBlocks(bool refresh) = 0;
  virtual int WriteSpeedCount() const = 0;
  virtual std::uint32_t WriteSpeed(int index) const = 0;
  virtual double SpeedFactor(std::uint32_t speed) const = 0;
  virtual bool Eject() = 0;
  virtual bool CloseTray() = 0;
  virtual std::uint32_t EraseParameter() const = 0;
  // Starts an erase whose EraseState events go to `events`; true when started.
  virtual bool StartErase(bool quick, std::uint32_t parameter, EventQueue& events) = 0;

  // Writes the image (worker thread); progress states and a WriteError on failure are
  // posted by the drive.
  virtual WriteEnd Write(const WriteTask& task) = 0;
  // The written image, read back for verification; null when it cannot be read.
  virtual std::unique_ptr<FileReader> OpenWritten() = 0;
};

struct DiscVolume {
  std::string VolumeIdentifier;
};

class DiscWriteJob {
 public:
  DiscWriteJob(FileSystem& files, EventQueue& events);
  ~DiscWriteJob();

  int VolumeType = kVolumeIso9660 | kVolumeJoliet | kVolumeUdf;
  bool Mode2XA = false;
  bool UseFileDates = true;
  int WriteMode = 2;
  std::uint32_t WriteSpeed = 0;
  bool Finalize = false;
  bool TestWrite = false;
  bool BufferProtect = false;
  bool AutoVerify = false;
  bool CacheImage = false;
  int OptionA = 0;
  int OptionB = 0;

  std::uint32_t BlockSize() const { return kSector; }
  double ImageSize() const;
  DiscVolume& Volume() { return volume_; }
  DiscImage& Image() { return image_; }

  // Starts writing on a worker thread; false when a write runs or the settings are bad.
  bool StartWrite(DiscDevice& device);
  void Abort() { abort_ = true; }
  bool Writing() const { return running_; }

 private:
  ImageLayout Plan(std::int64_t now) const;
  void Run(DiscDevice& device, ImageItems items, ImageLayout layout, WriteSettings settings);
  void Join();

  FileSystem& files_;
  EventQueue& events_;
  DiscVolume volume_;
  DiscImage image_;
  std::thread worker_;
  std::atomic<bool> abort_{false};
  std::atomic<bool> running_{false};
};

class DiscEngine {
 public:
  // Drives in the order they are listed; the image-file drive comes last.
  DiscEngine(FileSystem& files, std::vector<std::unique_ptr<DiscDevice>> devices);

  void SetEvents(DiscEvents* events);
  DiscEvents* Events() const { return events_; }
  // True when the drives are ready.
  bool Initialize(bool flag);
  int DeviceCount() const { return static_cast<int>(devices_.size()); }
  DiscDevice& Device(int index) { return *devices_.at(static_cast<std::size_t>(index)); }
  DiscWriteJob& WriteJob() { return job_; }

  // Raises the events posted by a write or erase; the caller's pump runs this.
  int DeliverEvents();
  bool WaitForEvents(std::chrono::milliseconds timeout) { return queue_.Wait(timeout); }
  EventQueue& Queue() { return queue_; }

 private:
  EventQueue queue_;  // first in, last out: a drive's erase may still post to it
  std::vector<std::unique_ptr<DiscDevice>> devices_;
  DiscWriteJob job_;
  DiscEvents* events_ = nullptr;
};

}  // namespace tarvo
