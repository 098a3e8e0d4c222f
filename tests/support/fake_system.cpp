#include "support/fake_system.h"

#include <cctype>
#include <cstdio>

namespace tarvo {

namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

std::string FakeSystemInfo::ExpandEnvironment(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('%', i);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      out += text.substr(i);
      break;
    }
    out += text.substr(i, open - i);
    const std::string name = text.substr(open + 1, close - open - 1);
    const std::string* value = nullptr;
    for (const auto& [key, v] : env) {
      if (SameNoCase(key, name)) value = &v;
    }
    out += value ? *value : "%" + name + "%";
    i = close + 1;
  }
  return out;
}

std::string FakeSystemInfo::GeneralDate(const LocalTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d/%d/%04d %d:%02d:%02d %s", t.month, t.day, t.year, hour12, t.minute, t.second,
                t.hour < 12 ? "AM" : "PM");
  return buf;
}

}  // namespace tarvo
