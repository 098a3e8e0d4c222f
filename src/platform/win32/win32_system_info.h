#pragma once
#include "platform/system_info.h"

namespace tarvo {

class Win32SystemInfo : public SystemInfo {
 public:
  std::string ComputerName() override;
  std::string UserName() override;
  int WindowsMajor() override;
  int WindowsMinor() override;
  std::string ExpandEnvironment(const std::string& text) override;
  std::string WindowsFolder() override;
  std::string ProgramFolder() override;
  LocalTime Now() override;
  std::string GeneralDate(const LocalTime& t) override;
  void Sleep(int milliseconds) override;
  LocaleMarks Locale() override;
  LocalTime LocalTimeOf(std::int64_t secondsUtc) override;
};

}  // namespace tarvo
