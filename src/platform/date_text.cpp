#include <cstdio>

#include "platform/system_info.h"

namespace tarvo {

std::string DateMMDDYYYY(const LocalTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", t.month, t.day, t.year);
  return buf;
}

std::string DateTimeMMDDYYYYHHMM(const LocalTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d-%02d-%02d", t.month, t.day, t.year, t.hour, t.minute);
  return buf;
}

std::string UsGeneralDate(const LocalTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d/%d/%04d %d:%02d:%02d %s", t.month, t.day, t.year, hour12, t.minute, t.second,
                t.hour < 12 ? "AM" : "PM");
  return buf;
}

}  // namespace tarvo
