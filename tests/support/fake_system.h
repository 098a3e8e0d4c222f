#pragma once
// SystemInfo double: public fields answer every query; Sleep only records.
#include <map>
#include <string>
#include <vector>

#include "platform/system_info.h"

namespace tarvo {

class FakeSystemInfo : public SystemInfo {
 public:
  std::string computerName = "TESTPC";
  std::string userName = "tester";
  int major = 6;
  int minor = 1;
  // Names for %NAME% expansion, looked up without regard to case as Windows does.
  std::map<std::string, std::string> env = {
      {"USERPROFILE", "C:\\Users\\tester"},
      {"APPDATA", "C:\\Users\\tester\\AppData\\Roaming"},
      {"LOCALAPPDATA", "C:\\Users\\tester\\AppData\\Local"},
      {"SystemRoot", "C:\\Windows"},
      {"windir", "C:\\Windows"},
  };
  std::string windowsFolder = "C:\\Windows";
  std::string programFolder = "C:\\Program Files\\Tarvo";
  LocalTime now{2024, 3, 7, 13, 5, 9};
  std::vector<int> sleeps;
  LocaleMarks locale;  // US marks unless a test sets others
  // Added to UTC by LocalTimeOf: the machine's offset from UTC in seconds.
  std::int64_t utcOffset = 0;

  std::string ComputerName() override { return computerName; }
  std::string UserName() override { return userName; }
  int WindowsMajor() override { return major; }
  int WindowsMinor() override { return minor; }
  std::string ExpandEnvironment(const std::string& text) override;
  std::string WindowsFolder() override { return windowsFolder; }
  std::string ProgramFolder() override { return programFolder; }
  LocalTime Now() override { return now; }
  // en-US: "3/7/2024 1:05:09 PM".
  std::string GeneralDate(const LocalTime& t) override;
  void Sleep(int milliseconds) override { sleeps.push_back(milliseconds); }
  LocaleMarks Locale() override { return locale; }
  LocalTime LocalTimeOf(std::int64_t secondsUtc) override;
};

}  // namespace tarvo
