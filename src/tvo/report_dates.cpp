// The dates `tvo report` goes by. A record's "BackupTime" is the general date of the PC
// that made it, in that PC's locale: day-month order is read from the text where it can
// be, from the archive's dated name where that exists, else day first unless AM/PM says
// the US form.
#include <cctype>
#include <cstdlib>

#include "tvo/report_scan.h"

namespace tarvo {
namespace {

struct Numbers {
  std::vector<int> values;
  std::vector<std::size_t> digits;
};

Numbers NumbersIn(const std::string& text) {
  Numbers n;
  std::size_t i = 0;
  while (i < text.size() && n.values.size() < 8) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])) && j - i < 6) ++j;
    n.values.push_back(std::atoi(text.substr(i, j - i).c_str()));
    n.digits.push_back(j - i);
    i = j;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;  // over-long runs
  }
  return n;
}

bool Valid(const LocalTime& t) {
  return t.year >= 1980 && t.year <= 2999 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 &&
         t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

bool SameDay(const LocalTime& a, const LocalTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::optional<LocalTime> ParseBackupTime(const std::string& text, const std::optional<LocalTime>& hint) {
  const Numbers n = NumbersIn(text);
  if (n.values.size() < 3) return std::nullopt;
  const std::string upper = Upper(text);
  const bool pm = upper.find("PM") != std::string::npos || upper.find("P.M.") != std::string::npos;
  const bool am = upper.find("AM") != std::string::npos || upper.find("A.M.") != std::string::npos;
  LocalTime t;
  const auto at = [&](std::size_t i) { return i < n.values.size() ? n.values[i] : 0; };
  t.hour = at(3);
  t.minute = at(4);
  t.second = at(5);
  if (pm && t.hour < 12) t.hour += 12;
  if (am && t.hour == 12) t.hour = 0;
  if (n.digits[0] == 4) {  // year first: ISO and the East Asian forms
    t.year = at(0), t.month = at(1), t.day = at(2);
    return Valid(t) ? std::optional<LocalTime>(t) : std::nullopt;
  }
  t.year = at(2) < 100 ? 2000 + at(2) : at(2);
  LocalTime monthFirst = t, dayFirst = t;
  monthFirst.month = at(0), monthFirst.day = at(1);
  dayFirst.day = at(0), dayFirst.month = at(1);
  const bool mf = Valid(monthFirst), df = Valid(dayFirst);
  if (!mf && !df) return std::nullopt;
  if (mf != df) return mf ? monthFirst : dayFirst;
  if (hint && SameDay(*hint, monthFirst)) return monthFirst;
  if (hint && SameDay(*hint, dayFirst)) return dayFirst;
  return (am || pm) ? monthFirst : dayFirst;
}

std::optional<LocalTime> DatedNameTime(const std::string& path) {
  // "-MM-DD-YYYY-HH-MM" and the four characters of the extension.
  const std::string name = BareName(path);
  constexpr std::size_t kStamp = 17, kExtension = 4;
  if (name.size() < kStamp + kExtension) return std::nullopt;
  const std::string stamp = name.substr(name.size() - kExtension - kStamp, kStamp);
  for (std::size_t i = 0; i < kStamp; ++i) {
    const bool dash = i == 0 || i == 3 || i == 6 || i == 11 || i == 14;
    if (dash ? stamp[i] != '-' : !std::isdigit(static_cast<unsigned char>(stamp[i]))) return std::nullopt;
  }
  const auto number = [&](std::size_t from, std::size_t count) { return std::atoi(stamp.substr(from, count).c_str()); };
  LocalTime t{number(7, 4), number(1, 2), number(4, 2), number(12, 2), number(15, 2), 0};
  return Valid(t) ? std::optional<LocalTime>(t) : std::nullopt;
}

}  // namespace tarvo
