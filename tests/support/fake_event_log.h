#pragma once
// EventLog double: keeps every event reported.
#include <vector>

#include "platform/event_log.h"

namespace tarvo {

struct LoggedEvent {
  EventType type;
  std::uint32_t id;
  std::string text;
};

class FakeEventLog : public EventLog {
 public:
  std::vector<LoggedEvent> events;
  bool Report(EventType type, std::uint32_t id, const std::string& text) override {
    events.push_back({type, id, text});
    return true;
  }
};

}  // namespace tarvo
