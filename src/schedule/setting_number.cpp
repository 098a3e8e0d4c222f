#include "schedule/setting_number.h"

#include <cstdlib>

namespace tarvo {

std::optional<double> SettingNumber(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const auto last = text.find_last_not_of(" \t");
  const std::string t = text.substr(first, last - first + 1);
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0') return std::nullopt;
  // strtod also reads "inf", "nan" and hex; a stored preference never means those.
  for (char c : t)
    if (!(c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 'e' || c == 'E')) return std::nullopt;
  return v;
}

}  // namespace tarvo
