#pragma once
// What the disc engine hands its caller: image items, problems, errors, and the listener
// that receives the engine's events.
#include <cstdint>
#include <string>

namespace tarvo {

// Volume types are bit sets of the trees an image carries.
inline constexpr int kVolumeIso9660 = 1;
inline constexpr int kVolumeJoliet = 2;
inline constexpr int kVolumeUdf = 4;
bool IsVolumeType(int type);  // 1, 3, 4, 5 or 7

// Write states (WriteState's state code).
inline constexpr int kWritePreparing = 0;
inline constexpr int kWriteData = 1;       // 1 to 3 carry a percent
inline constexpr int kWriteClosingTrack = 4;
inline constexpr int kWriteLeadOut = 6;
inline constexpr int kWriteCompleted = 9;
inline constexpr int kWriteCancelled = 10;
inline constexpr int kWriteFailed = 11;

// Verification results (VerifyFile's result code).
inline constexpr int kVerifySourceUnreadable = 0;
inline constexpr int kVerifyDiscUnreadable = 1;
inline constexpr int kVerifyDiffers = 2;
inline constexpr int kVerifyMatched = 3;
inline constexpr int kVerifySizeDiffers = 5;

// Erase states (EraseState's state code).
inline constexpr int kEraseStarted = 0;
inline constexpr int kEraseProgress = 1;
inline constexpr int kEraseFinished = 2;
inline constexpr int kEraseFailed = 3;

// EngineError categories.
inline constexpr int kErrorDevice = 1;
inline constexpr int kErrorOutputFile = 2;
inline constexpr int kErrorSourceFile = 3;
inline constexpr int kErrorSystem = 5;

struct ImageItem {
  bool IsFolder = false;
  std::string Parent;  // the parent folder's ImagePath; empty for the root
  std::string Name;
  std::string ImagePath;  // "\" for the root, else Parent (empty for the root) + "\" + Name
  std::string OldImagePath;
  std::string SourcePath;
  double Size = 0;
  std::int64_t Date = 0;  // seconds since 1970-01-01 UTC
};

struct FileProblem {
  int Code = 0;
  std::string Description;
  std::string FileName;
};

struct DeviceError {
  int Code = 0;
  std::string Description;
  std::string DetailA;
  std::string DetailB;
};

struct EngineError {
  int Category = 0;
  std::string Description;
  DeviceError Device;
  FileProblem FileError;
  std::uint32_t SystemCode = 0;
};

// The engine's events. Every one arrives on the caller's thread, in the order it happened.
class DiscEvents {
 public:
  virtual ~DiscEvents() = default;
  virtual void WriteState(int /*percent*/, int /*state*/) {}
  virtual void FileWarning(const FileProblem& /*problem*/, bool& /*continueWrite*/) {}
  virtual void TrackRead(int /*track*/, long /*number*/, const std::string& /*text*/) {}
  virtual void WriteError(const EngineError& /*error*/) {}
  virtual void VerifyStart(int /*fileCount*/) {}
  virtual void VerifyFile(const ImageItem& /*item*/, int /*result*/, int /*done*/, int /*total*/) {}
  virtual void VerifyDone(int /*verified*/, int /*matched*/) {}
  virtual void ItemAdded(const ImageItem& /*item*/) {}
  virtual void ItemRemoved(const ImageItem& /*item*/) {}
  virtual void ItemRenamed(const ImageItem& /*item*/) {}
  virtual void ItemListed(const ImageItem& /*item*/) {}
  virtual void ReplaceQuery(const ImageItem& /*item*/, const std::string& /*newSource*/, bool& /*replace*/) {}
  virtual void ImageCleared() {}
  virtual void EraseState(int /*state*/, int /*percent*/) {}
  virtual void DeviceErrorRaised(const DeviceError& /*error*/) {}
};

}  // namespace tarvo
