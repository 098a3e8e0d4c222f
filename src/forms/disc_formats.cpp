#include "forms/disc_formats.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tarvo {

namespace {

std::string TwoDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string Grouped(const std::string& digits, const std::string& mark) {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += mark;
    out += digits[i];
  }
  return out;
}

}  // namespace

std::string FormatNumber(double value, int decimals, bool group, bool leadingZero, const LocaleMarks& marks) {
  std::uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const auto scaled = static_cast<std::uint64_t>(std::llround(std::fabs(value) * static_cast<double>(scale)));
  std::string whole = std::to_string(scaled / scale);
  std::string fraction = std::to_string(scaled % scale);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  if (whole == "0" && !leadingZero) whole.clear();
  if (group) whole = Grouped(whole, marks.thousands);
  std::string out = (value < 0 && scaled > 0 ? "-" : "") + whole;
  if (decimals > 0) out += marks.decimal + fraction;
  return out;
}

std::string ListSizeText(double bytes, const LocaleMarks& marks) {
  return FormatNumber(bytes / 1000, 2, true, true, marks) + " KB";
}

std::string ListDateText(const LocalTime& t, const LocaleMarks& marks) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  return TwoDigits(t.month) + marks.date + TwoDigits(t.day) + marks.date + std::to_string(t.year) + " " +
         TwoDigits(hour12) + marks.time + TwoDigits(t.minute) + marks.time + TwoDigits(t.second) + " " +
         (t.hour < 12 ? marks.am : marks.pm);
}

std::string SpeedText(double factor, const LocaleMarks& marks) {
  return FormatNumber(factor, 1, false, false, marks) + "x";
}

}  // namespace tarvo
