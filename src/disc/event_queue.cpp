#include "disc/event_queue.h"

#include <utility>

namespace tarvo {

bool IsVolumeType(int type) { return type == 1 || type == 3 || type == 4 || type == 5 || type == 7; }

void EventQueue::Post(Event event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  posted_.notify_all();
}

int EventQueue::Deliver(DiscEvents& sink) {
  int count = 0;
  for (;;) {
    Event next;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (events_.empty()) return count;
      next = std::move(events_.front());
      events_.pop_front();
    }
    // Raised outside the lock: a handler may show a modal box or post again.
    next(sink);
    ++count;
  }
}

bool EventQueue::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return posted_.wait_for(lock, timeout, [this] { return !events_.empty(); });
}

}  // namespace tarvo
