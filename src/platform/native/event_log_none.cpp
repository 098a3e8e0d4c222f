// No system event log outside Windows: runs there are tools' runs, told on their console.
#include "platform/event_log.h"

namespace tarvo {
namespace {

class NoEventLog : public EventLog {
 public:
  bool Report(EventType, std::uint32_t, const std::string&) override { return false; }
};

}  // namespace

std::unique_ptr<EventLog> OpenSystemEventLog() { return std::make_unique<NoEventLog>(); }

}  // namespace tarvo
