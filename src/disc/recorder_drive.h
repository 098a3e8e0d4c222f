#pragma once
// A real disc recorder behind the engine's drive interface. What the recorder service
// reports (physical media, MMC profiles and features, speeds in sectors per second) is
// turned here into the engine's media types, capability codes and speed factors.
#include <memory>
#include <thread>

#include "disc/disc_engine.h"
#include "platform/recorder_api.h"

namespace tarvo {

// Media types of real discs (DiscMedia::MediaType). The rewritable ones carry the codes
// the erase window pairs with the drive's capability to write them.
inline constexpr int kMediaCdR = 1;
inline constexpr int kMediaCdRw = 2;
inline constexpr int kMediaDvdR = 3;       // DVD-R, DVD+R, either dual layer
inline constexpr int kMediaDvdRw = 4;      // DVD-RW
inline constexpr int kMediaDvdPlusRw = 5;  // DVD+RW, either layer count
inline constexpr int kMediaReadOnly = 6;   // pressed CD, DVD, BD, HD DVD
inline constexpr int kMediaBdR = 8;
inline constexpr int kMediaDvdRam = 9;
inline constexpr int kMediaHdDvd = 10;     // HD DVD-R and -RAM
inline constexpr int kMediaBdRe = 15;

// Capability codes (DiscDevice::HasCapability): the drive writes that rewritable format,
// so it can erase it (pairs 17/9, 19/4, 22/2, 23/5, 27/15), or it records without buffer
// underruns (57, the buffer protection option).
inline constexpr int kCapWritesDvdRam = 17;
inline constexpr int kCapWritesDvdRw = 19;
inline constexpr int kCapWritesCdRw = 22;
inline constexpr int kCapWritesDvdPlusRw = 23;
inline constexpr int kCapWritesBdRe = 27;
inline constexpr int kCapBufferProtect = 57;

int MediaTypeOf(PhysicalMedia media);
DiscMedia MediaOf(const RecorderMediaState& disc);
bool IsRewritableMedia(int mediaType);
// Sectors per second of 1x on this disc: CD 75, DVD 680, BD 2195.
double SectorsPerSecondAt1x(PhysicalMedia media);

// Posts write progress (state 2) when the percent moves; remembers whether the track
// is being closed.
struct PercentPoster {
  EventQueue& events;
  int shown = -1;
  bool closing = false;
  void Post(std::uint64_t done, std::uint64_t total);
};

class RecorderDrive : public DiscDevice {
 public:
  RecorderDrive(std::shared_ptr<RecorderApi> api, int index, RecorderInfo info);
  ~RecorderDrive() override;

  std::string Name() const override;
  bool IsWriter() const override { return info_.writer; }
  bool HasCapability(int code) const override;
  bool RefreshMedia(bool reload) override;
  DiscMedia Media() const override;
  std::uint32_t FreeBlocks(bool refresh) override;
  int WriteSpeedCount() const override { return static_cast<int>(media_.writeSpeeds.size()); }
  std::uint32_t WriteSpeed(int index) const override;
  double SpeedFactor(std::uint32_t speed) const override;
  bool Eject() override { return api_->Eject(index_); }
  bool CloseTray() override { return api_->CloseTray(index_); }
  std::uint32_t EraseParameter() const override { return 0; }
  bool StartErase(bool quick, std::uint32_t parameter, EventQueue& events) override;

  WriteEnd Write(const WriteTask& task) override;
  std::unique_ptr<FileReader> OpenWritten() override;

 private:
  WriteEnd Refuse(const WriteTask& task, int code, const std::string& text);
  WriteEnd TestWrite(const WriteTask& task, PercentPoster& percent);
  WriteEnd WriteDisc(const WriteTask& task, std::uint64_t sectors, PercentPoster& percent);
  void RunErase(bool quick, EventQueue& events);

  std::shared_ptr<RecorderApi> api_;
  int index_;
  RecorderInfo info_;
  RecorderMediaState media_;
  std::thread eraser_;
  std::atomic<bool> erasing_{false};
};

// The service's recorders, in its order; `error` (when given) gets why they could not
// all be listed, empty when they could.
std::vector<std::unique_ptr<DiscDevice>> RecorderDrives(std::shared_ptr<RecorderApi> api,
                                                        std::string* error = nullptr);
// This machine's recorders (none off Windows), for MakeDiscEngine's real drives.
std::vector<std::unique_ptr<DiscDevice>> MachineRecorderDrives(std::string* error = nullptr);

}  // namespace tarvo
