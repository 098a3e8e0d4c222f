#include "disc/recorder_drive.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "disc/image_pipe.h"
#include "disc/image_stream.h"

namespace tarvo {

namespace {

// MMC profiles (SupportedProfiles) that give each capability.
struct ProfileCapability {
  int code;
  std::vector<int> profiles;
};
const std::vector<ProfileCapability>& ProfileCapabilities() {
  static const std::vector<ProfileCapability> table = {
      {kCapWritesDvdRam, {0x12}},        {kCapWritesDvdRw, {0x13, 0x14}}, {kCapWritesCdRw, {0x0A}},
      {kCapWritesDvdPlusRw, {0x1A, 0x2A}}, {kCapWritesBdRe, {0x43}},
  };
  return table;
}
// MMC features whose descriptors carry the buffer-underrun-free bit: CD track at once,
// CD mastering, DVD-R write.
constexpr int kBufferFreeFeatures[] = {0x2D, 0x2E, 0x2F};

// Refusals of our own, before the service is asked (DeviceError codes).
constexpr int kNoWritableDisc = 1;
constexpr int kDiscTooSmall = 2;

std::string Hex(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

void PostDeviceError(EventQueue& events, const DeviceError& device) {
  EngineError error;
  error.Category = kErrorDevice;
  error.Description = device.Description;
  error.Device = device;
  events.Post([error](DiscEvents& e) { e.WriteError(error); });
}

// Counts bytes and keeps none: a test write reads every source and records nothing.
class NullWriter : public FileWriter {
 public:
  bool Write(const char*, std::size_t) override { return true; }
  bool Close() override { return true; }
};

WriteEnd PostSourceError(EventQueue& events, const std::string& file) {
  EngineError error;
  error.Category = kErrorSourceFile;
  error.Description = "The file could not be read.";
  error.FileError = {1, error.Description, file};
  events.Post([error](DiscEvents& e) { e.WriteError(error); });
  return WriteEnd::Failed;
}

}  // namespace

void PercentPoster::Post(std::uint64_t done, std::uint64_t total) {
  const int percent = total ? static_cast<int>(std::min(done, total) * 100 / total) : 0;
  if (percent == shown) return;
  shown = percent;
  events.Post([percent](DiscEvents& e) { e.WriteState(percent, 2); });
}

int MediaTypeOf(PhysicalMedia media) {
  switch (media) {
    case PhysicalMedia::Unknown: case PhysicalMedia::Disk: return kMediaNone;
    case PhysicalMedia::CdR: return kMediaCdR;
    case PhysicalMedia::CdRw: return kMediaCdRw;
    case PhysicalMedia::DvdPlusR: case PhysicalMedia::DvdPlusRDualLayer: case PhysicalMedia::DvdDashR:
    case PhysicalMedia::DvdDashRDualLayer: return kMediaDvdR;
    case PhysicalMedia::DvdDashRw: return kMediaDvdRw;
    case PhysicalMedia::DvdPlusRw: case PhysicalMedia::DvdPlusRwDualLayer: return kMediaDvdPlusRw;
    case PhysicalMedia::DvdRam: return kMediaDvdRam;
    case PhysicalMedia::HdDvdR: case PhysicalMedia::HdDvdRam: return kMediaHdDvd;
    case PhysicalMedia::BdR: return kMediaBdR;
    case PhysicalMedia::BdRe: return kMediaBdRe;
    default: return kMediaReadOnly;
  }
}

bool IsRewritableMedia(int mediaType) {
  return mediaType == kMediaCdRw || mediaType == kMediaDvdRw || mediaType == kMediaDvdPlusRw ||
         mediaType == kMediaDvdRam || mediaType == kMediaBdRe;
}

double SectorsPerSecondAt1x(PhysicalMedia media) {
  switch (media) {
    case PhysicalMedia::CdRom: case PhysicalMedia::CdR: case PhysicalMedia::CdRw: return 75;
    case PhysicalMedia::BdRom: case PhysicalMedia::BdR: case PhysicalMedia::BdRe: return 2195;
    default: return 680;
  }
}

RecorderDrive::RecorderDrive(std::shared_ptr<RecorderApi> api, int index, RecorderInfo info)
    : api_(std::move(api)), index_(index), info_(std::move(info)) {
  media_ = api_->Media(index_);
}

RecorderDrive::~RecorderDrive() {
  if (eraser_.joinable()) eraser_.join();
}

std::string RecorderDrive::Name() const {
  std::string name = info_.vendor;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  std::string product = info_.product;
  while (!product.empty() && product.back() == ' ') product.pop_back();
  return name.empty() ? product : product.empty() ? name : name + " " + product;
}

bool RecorderDrive::HasCapability(int code) const {
  const auto has = [](const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
  };
  if (code == kCapBufferProtect)
    return std::any_of(std::begin(kBufferFreeFeatures), std::end(kBufferFreeFeatures),
                       [&](int f) { return has(info_.featurePages, f); });
  for (const auto& entry : ProfileCapabilities())
    if (entry.code == code)
      return std::any_of(entry.profiles.begin(), entry.profiles.end(), [&](int p) { return has(info_.profiles, p); });
  return false;
}

bool RecorderDrive::RefreshMedia(bool /*reload*/) {
  media_ = api_->Media(index_);
  return media_.present;
}

DiscMedia MediaOf(const RecorderMediaState& disc) {
  if (!disc.present) return {};
  const int type = MediaTypeOf(disc.type);
  return {disc.writable && type != kMediaNone, type, IsRewritableMedia(type)};
}

DiscMedia RecorderDrive::Media() const { return MediaOf(media_); }

std::uint32_t RecorderDrive::FreeBlocks(bool refresh) {
  if (refresh) media_ = api_->Media(index_);
  return media_.present ? media_.freeSectors : 0;
}

std::uint32_t RecorderDrive::WriteSpeed(int index) const {
  return index >= 0 && index < WriteSpeedCount() ? media_.writeSpeeds[static_cast<std::size_t>(index)] : 0;
}

double RecorderDrive::SpeedFactor(std::uint32_t speed) const {
  return speed / SectorsPerSecondAt1x(media_.type);
}

WriteEnd RecorderDrive::Refuse(const WriteTask& task, int code, const std::string& text) {
  PostDeviceError(task.events, {code, text, Name(), ""});
  return WriteEnd::Failed;
}

WriteEnd RecorderDrive::Write(const WriteTask& task) {
  // The disc as it is now; media_ belongs to the caller's thread.
  const RecorderMediaState disc = api_->Media(index_);
  const std::uint64_t sectors = (task.layout.ImageBytes() + kSector - 1) / kSector;
  if (!MediaOf(disc).IsWritable) return Refuse(task, kNoWritableDisc, "There is no writable disc in the drive.");
  if (sectors > disc.freeSectors) return Refuse(task, kDiscTooSmall, "The disc has too little free space.");
  PercentPoster percent{task.events};
  const WriteEnd end = task.settings.TestWrite ? TestWrite(task, percent) : WriteDisc(task, sectors, percent);
  if (end != WriteEnd::Completed) return end;
  if (!percent.closing) task.events.Post([](DiscEvents& e) { e.WriteState(100, kWriteClosingTrack); });
  task.events.Post([](DiscEvents& e) { e.WriteState(100, kWriteLeadOut); });
  return WriteEnd::Completed;
}

WriteEnd RecorderDrive::TestWrite(const WriteTask& task, PercentPoster& percent) {
  NullWriter none;
  const std::uint64_t bytes = task.layout.ImageBytes();
  const auto outcome = StreamImage(task.layout, task.files, none, [&](std::uint64_t written) {
    percent.Post(written, bytes);
    return !task.abort.load();
  });
  if (outcome.result == StreamResult::Cancelled) return WriteEnd::Cancelled;
  if (outcome.result != StreamResult::Done) return PostSourceError(task.events, outcome.file);
  return WriteEnd::Completed;
}

WriteEnd RecorderDrive::WriteDisc(const WriteTask& task, std::uint64_t sectors, PercentPoster& percent) {
  // The composer pushes on its own thread; the recorder pulls from the pipe on this one.
  // An abort goes to the recorder (CancelWrite), which ends the write; stopping the pipe
  // then ends the composer.
  ImagePipe pipe;
  StreamOutcome composed;
  std::thread composer([&] {
    composed = StreamImage(task.layout, task.files, pipe, [](std::uint64_t) { return true; });
    pipe.Finish(composed.result == StreamResult::Done);
  });
  const RecorderSource source = [&](char* buffer, std::size_t size) { return pipe.Read(buffer, size); };
  const RecorderProgressFn progress = [&](const RecorderProgress& p) {
    if (p.phase == kRecorderWritingData) percent.Post(p.done, p.total);
    if (p.phase == kRecorderFinalizing && !percent.closing) {
      percent.closing = true;
      task.events.Post([](DiscEvents& e) { e.WriteState(100, kWriteClosingTrack); });
    }
    return !task.abort.load();
  };
  const RecorderResult result =
      api_->Write(index_, sectors, task.settings.WriteSpeed, task.settings.BufferProtect, source, progress);
  pipe.Stop();
  composer.join();
  if (result.cancelled || task.abort) return WriteEnd::Cancelled;
  if (composed.result == StreamResult::SourceError) return PostSourceError(task.events, composed.file);
  if (!result.ok) {
    PostDeviceError(task.events, {static_cast<int>(result.code), result.description, Name(), Hex(result.code)});
    return WriteEnd::Failed;
  }
  return WriteEnd::Completed;
}

std::unique_ptr<FileReader> RecorderDrive::OpenWritten() { return api_->OpenDisc(index_); }

bool RecorderDrive::StartErase(bool quick, std::uint32_t /*parameter*/, EventQueue& events) {
  if (erasing_ || !info_.writer) return false;
  RefreshMedia(false);
  if (!Media().IsRewritable) return false;
  if (eraser_.joinable()) eraser_.join();
  erasing_ = true;
  eraser_ = std::thread(&RecorderDrive::RunErase, this, quick, std::ref(events));
  return true;
}

void RecorderDrive::RunErase(bool quick, EventQueue& events) {
  events.Post([](DiscEvents& e) { e.EraseState(kEraseStarted, 0); });
  int shown = 0;
  const RecorderResult result = api_->Erase(index_, !quick, [&](const RecorderProgress& p) {
    const int percent = p.total ? static_cast<int>(std::min(p.done, p.total) * 100 / p.total) : 0;
    if (percent != shown) {
      shown = percent;
      events.Post([percent](DiscEvents& e) { e.EraseState(kEraseProgress, percent); });
    }
    return true;  // an erase cannot be cancelled
  });
  erasing_ = false;  // before the last event, so its handler may start the next erase
  if (result.ok) {
    events.Post([](DiscEvents& e) { e.EraseState(kEraseFinished, 100); });
  } else {
    const DeviceError error{static_cast<int>(result.code), result.description, Name(), Hex(result.code)};
    events.Post([error](DiscEvents& e) { e.DeviceErrorRaised(error); });
    events.Post([](DiscEvents& e) { e.EraseState(kEraseFailed, 0); });
  }
}

std::vector<std::unique_ptr<DiscDevice>> RecorderDrives(std::shared_ptr<RecorderApi> api, std::string* error) {
  std::vector<std::unique_ptr<DiscDevice>> drives;
  const int count = api->Count();
  for (int i = 0; i < count; ++i)
    if (auto info = api->Info(i)) drives.push_back(std::make_unique<RecorderDrive>(api, i, std::move(*info)));
  if (error) *error = api->ListError();
  return drives;
}

std::vector<std::unique_ptr<DiscDevice>> MachineRecorderDrives(std::string* error) {
  return RecorderDrives(std::shared_ptr<RecorderApi>(MakeRecorderApi()), error);
}

}  // namespace tarvo
