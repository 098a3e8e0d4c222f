#pragma once
// Events posted by a worker thread and raised later on the caller's thread, in order.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "disc/disc_types.h"

namespace tarvo {

class EventQueue {
 public:
  using Event = std::function<void(DiscEvents&)>;

  void Post(Event event);
  // Raises every pending event on `sink`; returns how many ran.
  int Deliver(DiscEvents& sink);
  // Waits until an event is pending or the time is up; true when one is.
  bool Wait(std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Event> events_;
};

}  // namespace tarvo
