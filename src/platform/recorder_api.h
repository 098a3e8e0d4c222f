#pragma once
// The disc recorders of the machine, as the operating system's burning service offers
// them (IMAPI2 on Windows). Plain values only: what they mean for the disc engine is
// worked out by the engine's recorder drive.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarvo {

// Physical media as the burning service names them (IMAPI_MEDIA_PHYSICAL_TYPE).
enum class PhysicalMedia : int {
  Unknown = 0, CdRom = 1, CdR = 2, CdRw = 3, DvdRom = 4, DvdRam = 5, DvdPlusR = 6, DvdPlusRw = 7,
  DvdPlusRDualLayer = 8, DvdDashR = 9, DvdDashRw = 10, DvdDashRDualLayer = 11, Disk = 12,
  DvdPlusRwDualLayer = 13, HdDvdRom = 14, HdDvdR = 15, HdDvdRam = 16, BdRom = 17, BdR = 18, BdRe = 19,
};

struct RecorderInfo {
  std::string vendor;
  std::string product;
  std::string volumePath;  // "E:\" or empty
  bool writer = false;
  std::vector<int> profiles;      // MMC profiles the recorder can write (SupportedProfiles)
  std::vector<int> featurePages;  // MMC feature pages it reports (SupportedFeaturePages)
};

struct RecorderMediaState {
  PhysicalMedia type = PhysicalMedia::Unknown;  // Unknown: no disc
  bool present = false;
  bool writable = false;  // a data write can start on it (blank or appendable)
  std::uint32_t freeSectors = 0;
  std::vector<std::uint32_t> writeSpeeds;  // sectors per second
};

// What a write or erase reports: `phase` is the service's action code, elapsed and
// expected are seconds (or sectors for a write's data phase). Answering false cancels.
struct RecorderProgress {
  int phase = 0;
  std::uint64_t done = 0;
  std::uint64_t total = 0;
};
using RecorderProgressFn = std::function<bool(const RecorderProgress&)>;

// Reads the next bytes of the image being written; 0 at the end, nullopt on a failure.
using RecorderSource = std::function<std::optional<std::size_t>(char* buffer, std::size_t size)>;

struct RecorderResult {
  bool ok = false;
  bool cancelled = false;
  std::uint32_t code = 0;  // the service's error code (an HRESULT on Windows)
  std::string description;
};

// Write phases (IMAPI_FORMAT2_DATA_WRITE_ACTION).
inline constexpr int kRecorderValidating = 0;
inline constexpr int kRecorderFormatting = 1;
inline constexpr int kRecorderInitializing = 2;
inline constexpr int kRecorderCalibrating = 3;
inline constexpr int kRecorderWritingData = 4;
inline constexpr int kRecorderFinalizing = 5;
inline constexpr int kRecorderCompleted = 6;

class RecorderApi {
 public:
  virtual ~RecorderApi() = default;
  virtual int Count() = 0;
  virtual std::optional<RecorderInfo> Info(int index) = 0;
  virtual RecorderMediaState Media(int index) = 0;
  virtual bool Eject(int index) = 0;
  virtual bool CloseTray(int index) = 0;
  // Blocks until the write ends; `speed` is in sectors per second, 0 for the fastest.
  virtual RecorderResult Write(int index, std::uint64_t sectors, std::uint32_t speed, bool bufferProtect,
                               const RecorderSource& source, const RecorderProgressFn& progress) = 0;
  // Blocks until the erase ends; progress phases are unused (0).
  virtual RecorderResult Erase(int index, bool full, const RecorderProgressFn& progress) = 0;
  // The disc's sectors from the start, read raw through the recorder's volume; null when
  // it has no volume or cannot be opened.
  virtual std::unique_ptr<FileReader> OpenDisc(int index) = 0;
  // Why the last Count or Info could not list the recorders; empty when they could, or
  // when the machine has no burning service at all (that is simply no recorders).
  virtual std::string ListError() { return {}; }
};

// The machine's burning service; on systems without one, a service with no recorders.
std::unique_ptr<RecorderApi> MakeRecorderApi();

}  // namespace tarvo
