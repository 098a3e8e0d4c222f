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

std::string FakeSystemInfo::GeneralDate(const LocalTime& t) { return UsGeneralDate(t); }

}  // namespace tarvo
