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

}  // namespace tarvo
