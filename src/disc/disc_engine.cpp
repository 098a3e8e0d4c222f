#include "disc/disc_engine.h"

#include <utility>

#include "disc/disc_verify.h"

namespace tarvo {

namespace {

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void PostState(EventQueue& events, int percent, int state) {
  events.Post([percent, state](DiscEvents& e) { e.WriteState(percent, state); });
}

}  // namespace

DiscWriteJob::DiscWriteJob(FileSystem& files, EventQueue& events) : files_(files), events_(events), image_(files) {}

DiscWriteJob::~DiscWriteJob() {
  abort_ = true;
  Join();
}

void DiscWriteJob::Join() {
  if (worker_.joinable()) worker_.join();
}

ImageLayout DiscWriteJob::Plan(std::int64_t now) const {
  return PlanImage(image_.Items(), VolumeType, volume_.VolumeIdentifier, UseFileDates, now);
}

double DiscWriteJob::ImageSize() const {
  if (!IsVolumeType(VolumeType)) return 0;
  return static_cast<double>(Plan(0).ImageBytes());
}

bool DiscWriteJob::StartWrite(DiscDevice& device) {
  if (running_ || !IsVolumeType(VolumeType) || !device.IsWriter()) return false;
  Join();
  // The worker gets its own copy of the items, so the image may change while it writes.
  ImageItems items = image_.Items();
  ImageLayout layout = PlanImage(items, VolumeType, volume_.VolumeIdentifier, UseFileDates, Now());
  WriteSettings settings{AutoVerify, TestWrite, WriteSpeed, BufferProtect};
  abort_ = false;
  running_ = true;
  worker_ = std::thread(&DiscWriteJob::Run, this, std::ref(device), std::move(items), std::move(layout), settings);
  return true;
}

void DiscWriteJob::Run(DiscDevice& device, ImageItems items, ImageLayout layout, WriteSettings settings) {
  PostState(events_, 0, kWritePreparing);
  const WriteEnd end = device.Write(WriteTask{layout, files_, settings, abort_, events_});
  if (end == WriteEnd::Completed && settings.AutoVerify && !settings.TestWrite) {
    auto written = device.OpenWritten();
    if (written) {
      VerifyImage(items, layout, files_, *written, events_);
    } else {
      // Nothing to read back: every file is reported as unreadable on the disc.
      EventQueue& events = events_;
      const int total = static_cast<int>(layout.fileOrder.size());
      events.Post([total](DiscEvents& e) { e.VerifyStart(total); });
      int done = 0;
      for (int f : layout.fileOrder) {
        const ImageItem item = items.at(layout.nodes[f].imagePath);
        ++done;
        events.Post([item, done, total](DiscEvents& e) { e.VerifyFile(item, kVerifyDiscUnreadable, done, total); });
      }
      events.Post([total](DiscEvents& e) { e.VerifyDone(total, 0); });
    }
  }
  const int state = end == WriteEnd::Completed ? kWriteCompleted
                    : end == WriteEnd::Cancelled ? kWriteCancelled
                                                 : kWriteFailed;
  running_ = false;
  PostState(events_, end == WriteEnd::Completed ? 100 : 0, state);
}

DiscEngine::DiscEngine(FileSystem& files, std::vector<std::unique_ptr<DiscDevice>> devices)
    : devices_(std::move(devices)), job_(files, queue_) {}

void DiscEngine::SetEvents(DiscEvents* events) {
  events_ = events;
  job_.Image().SetEvents(events);
}

bool DiscEngine::Initialize(bool /*flag*/) { return !devices_.empty(); }

int DiscEngine::DeliverEvents() {
  if (!events_) {
    DiscEvents none;
    return queue_.Deliver(none);
  }
  return queue_.Deliver(*events_);
}

}  // namespace tarvo
