#pragma once
// The system's event log, where administrators' monitoring tools watch for our events:
// the Application log under one source, each event an ID, a type and one text.
#include <cstdint>
#include <memory>
#include <string>

namespace tarvo {

inline constexpr const char* kEventSource = "Tarvo Outlook Backup";

enum class EventType { Information, Warning, Error };

class EventLog {
 public:
  virtual ~EventLog() = default;
  // False when the event could not be reported; nobody is told, the run goes on.
  virtual bool Report(EventType type, std::uint32_t id, const std::string& text) = 0;
};

// The Application log on Windows (the source need not be registered: the text is shown
// without the message table then); elsewhere a log that keeps nothing.
std::unique_ptr<EventLog> OpenSystemEventLog();

}  // namespace tarvo
