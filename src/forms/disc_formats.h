#pragma once
// Number and date texts of the disc windows, with the user's locale marks.
#include <string>

#include "platform/system_info.h"

namespace tarvo {

// `value` with `decimals` places (halves away from zero); `group` puts the thousands mark
// between groups of three; `leadingZero` false drops a lone "0" before the decimal mark.
std::string FormatNumber(double value, int decimals, bool group, bool leadingZero, const LocaleMarks& marks);
// A list entry's size: bytes ÷ 1000 as "1,234.57 KB".
std::string ListSizeText(double bytes, const LocaleMarks& marks);
// "MM/DD/YYYY hh:mm:ss AM" on the 12-hour clock.
std::string ListDateText(const LocalTime& t, const LocaleMarks& marks);
// A write speed factor as "#.0" + "x".
std::string SpeedText(double factor, const LocaleMarks& marks);

}  // namespace tarvo
