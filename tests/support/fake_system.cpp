#include "support/fake_system.h"

#include <chrono>
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

std::string FakeSystemInfo::GeneralDate(const LocalTime& t) { return UsGeneralDate(t); }

LocalTime FakeSystemInfo::LocalTimeOf(std::int64_t secondsUtc) {
  using namespace std::chrono;
  const sys_seconds when{seconds{secondsUtc + utcOffset}};
  const auto day = floor<days>(when);
  const year_month_day date{day};
  const hh_mm_ss time{when - day};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())};
}

}  // namespace tarvo
