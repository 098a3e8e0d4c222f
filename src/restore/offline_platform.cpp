#include "restore/offline_platform.h"

#include <chrono>
#include <cstdio>
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

std::string OfflineSystemInfo::GeneralDate(const LocalTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  char text[48];
  std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d %s", t.month, t.day, t.year, hour12, t.minute, t.second,
                t.hour < 12 ? "AM" : "PM");
  return text;
}

}  // namespace tarvo
