#include "tvo/offline_platform.h"

#include <chrono>
#include <ctime>

namespace tarvo {

LocalTime OfflineSystemInfo::Now() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::string OfflineSystemInfo::GeneralDate(const LocalTime& t) { return UsGeneralDate(t); }

}  // namespace tarvo
