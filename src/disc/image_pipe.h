#pragma once
// Hands the composer's image stream, which pushes, to a recorder, which pulls. A few
// pieces are held at most, so memory stays small whatever the image's size.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace tarvo {

class ImagePipe : public FileWriter {
 public:
  explicit ImagePipe(std::size_t maxPieces = 4) : maxPieces_(maxPieces) {}

  // Composer side: blocks while full; false once the reader has stopped.
  bool Write(const char* data, std::size_t size) override;
  bool Close() override { return !stopped(); }
  void Finish(bool complete);

  // Recorder side: blocks while empty; 0 at the end, nullopt when the image failed.
  std::optional<std::size_t> Read(char* buffer, std::size_t size);
  void Stop();
  bool stopped();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> pieces_;
  std::size_t offset_ = 0;  // into pieces_.front()
  std::size_t maxPieces_;
  bool finished_ = false;
  bool complete_ = false;
  bool stopped_ = false;
};

}  // namespace tarvo
