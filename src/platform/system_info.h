#pragma once
#include <cstdint>
#include <string>

namespace tarvo {

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The user's locale marks for numbers and dates.
struct LocaleMarks {
  std::string thousands = ",", decimal = ".", date = "/", time = ":";
  std::string am = "AM", pm = "PM";
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual std::string ComputerName() = 0;   // empty when the query fails
  virtual std::string UserName() = 0;       // empty when the query fails
  virtual int WindowsMajor() = 0;
  virtual int WindowsMinor() = 0;
  // ExpandEnvironmentStrings: %NAME% replaced, unknown names left as they are.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
  virtual std::string WindowsFolder() = 0;  // GetWindowsDirectory
  virtual std::string ProgramFolder() = 0;  // folder of the executable, no trailing "\" unless a root
  virtual LocalTime Now() = 0;
  // The system's general date format: short date, a blank, long time.
  virtual std::string GeneralDate(const LocalTime& t) = 0;
  virtual void Sleep(int milliseconds) = 0;
  virtual LocaleMarks Locale() = 0;
  // Seconds since 1970-01-01 UTC in this machine's time zone.
  virtual LocalTime LocalTimeOf(std::int64_t secondsUtc) = 0;
};

// "MM-DD-YYYY" and "MM-DD-YYYY-HH-MM", used in generated archive names.
std::string DateMMDDYYYY(const LocalTime& t);
std::string DateTimeMMDDYYYYHHMM(const LocalTime& t);
// The general date of US English ("12/7/2026 11:52:57 PM"), where no locale is asked.
std::string UsGeneralDate(const LocalTime& t);

}  // namespace tarvo
