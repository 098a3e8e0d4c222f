#include "tvo/offline_platform.h"

#include <chrono>
#include <ctime>

namespace tarvo {

LocalTime OfflineSystemInfo::Now() {
  return LocalTimeOf(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
}

LocalTime OfflineSystemInfo::LocalTimeOf(std::int64_t secondsUtc) {
  const auto when = static_cast<std::time_t>(secondsUtc);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &when);
#else
  localtime_r(&when, &parts);
#endif
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::string OfflineSystemInfo::GeneralDate(const LocalTime& t) { return UsGeneralDate(t); }

}  // namespace tarvo
