// The Application log through RegisterEventSource/ReportEvent. The source handle is taken
// per event: a program reports a few events per run at most.
#include <windows.h>

#include "platform/event_log.h"
#include "platform/win32/wide.h"

namespace tarvo {
namespace {

WORD TypeOf(EventType type) {
  switch (type) {
    case EventType::Information: return EVENTLOG_INFORMATION_TYPE;
    case EventType::Warning: return EVENTLOG_WARNING_TYPE;
    case EventType::Error: return EVENTLOG_ERROR_TYPE;
  }
  return EVENTLOG_ERROR_TYPE;
}

class Win32EventLog : public EventLog {
 public:
  bool Report(EventType type, std::uint32_t id, const std::string& text) override {
    HANDLE source = RegisterEventSourceW(nullptr, ToWide(kEventSource).c_str());
    if (source == nullptr) return false;
    const std::wstring wide = ToWide(text);
    LPCWSTR strings[] = {wide.c_str()};
    const BOOL ok = ReportEventW(source, TypeOf(type), 0, id, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
    return ok != FALSE;
  }
};

}  // namespace

std::unique_ptr<EventLog> OpenSystemEventLog() { return std::make_unique<Win32EventLog>(); }

}  // namespace tarvo
