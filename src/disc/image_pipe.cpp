#include "disc/image_pipe.h"

#include <algorithm>
#include <cstring>

namespace tarvo {

bool ImagePipe::Write(const char* data, std::size_t size) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopped_ || pieces_.size() < maxPieces_; });
  if (stopped_) return false;
  pieces_.emplace_back(data, size);
  changed_.notify_all();
  return true;
}

void ImagePipe::Finish(bool complete) {
  std::lock_guard lock(mutex_);
  finished_ = true;
  complete_ = complete;
  changed_.notify_all();
}

std::optional<std::size_t> ImagePipe::Read(char* buffer, std::size_t size) {
  std::unique_lock lock(mutex_);
  std::size_t got = 0;
  while (got < size) {
    changed_.wait(lock, [&] { return !pieces_.empty() || finished_; });
    if (pieces_.empty()) {
      if (!complete_) return std::nullopt;
      break;
    }
    const std::string& front = pieces_.front();
    const std::size_t n = std::min(size - got, front.size() - offset_);
    std::memcpy(buffer + got, front.data() + offset_, n);
    got += n;
    offset_ += n;
    if (offset_ == front.size()) {
      pieces_.pop_front();
      offset_ = 0;
      changed_.notify_all();
    }
  }
  return got;
}

void ImagePipe::Stop() {
  std::lock_guard lock(mutex_);
  stopped_ = true;
  pieces_.clear();
  changed_.notify_all();
}

bool ImagePipe::stopped() {
  std::lock_guard lock(mutex_);
  return stopped_;
}

}  // namespace tarvo
