#pragma once
// The parts of a platform the archive commands never need on a machine without Windows:
// no registry, no processes, nothing to start, no Office.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/office_probe.h"
#include "platform/processes.h"
#include "platform/registry_api.h"
#include "platform/shell.h"
#include "platform/system_info.h"

namespace tarvo {

class OfflineRegistry : public RegistryApi {
 public:
  long OpenKey(RegKey, const std::string&, std::uint32_t, RegKey*) override { return kErrorFileNotFound; }
  long CreateKey(RegKey, const std::string&, RegKey*) override { return kErrorAccessDenied; }
  long CloseKey(RegKey) override { return kErrorInvalidHandle; }
  long EnumKey(RegKey, std::uint32_t, std::uint32_t, std::string*) override { return kErrorInvalidHandle; }
  long EnumValue(RegKey, std::uint32_t, std::uint32_t, std::string*, std::uint32_t*, std::uint8_t*,
                 std::uint32_t*) override {
    return kErrorInvalidHandle;
  }
  long QueryValue(RegKey, const std::string&, std::uint32_t*, std::uint8_t*, std::uint32_t*) override {
    return kErrorInvalidHandle;
  }
  long SetValue(RegKey, const std::string&, std::uint32_t, const std::uint8_t*, std::uint32_t) override {
    return kErrorAccessDenied;
  }
  long DeleteKey(RegKey, const std::string&) override { return kErrorAccessDenied; }
  long DeleteValue(RegKey, const std::string&) override { return kErrorAccessDenied; }
};

class OfflineProcesses : public Processes {
 public:
  std::vector<ProcessEntry> Snapshot() override { return {}; }
  bool Terminate(std::uint32_t, std::uint32_t) override { return false; }
  bool IsOwn(std::uint32_t) override { return false; }
  std::string CommandLine(std::uint32_t) override { return {}; }
  bool AskToClose(std::uint32_t) override { return false; }
  bool Running(std::uint32_t) override { return false; }
};

class OfflineShell : public Shell {
 public:
  bool Start(const std::string&, WindowMode) override { return false; }
  int RunAndWait(const std::string&, WindowMode, int) override { return -1; }
};

class OfflineOfficeProbe : public OfficeProbe {
 public:
  std::optional<std::string> WordVersion() override { return std::nullopt; }
};

// Local clock and "M/D/YYYY h:mm:ss AM" dates; programFolder is given by the tool.
class OfflineSystemInfo : public SystemInfo {
 public:
  explicit OfflineSystemInfo(std::string programFolder) : programFolder_(std::move(programFolder)) {}
  std::string ComputerName() override { return {}; }
  std::string UserName() override { return {}; }
  int WindowsMajor() override { return 0; }
  int WindowsMinor() override { return 0; }
  std::string ExpandEnvironment(const std::string& text) override { return text; }
  std::string WindowsFolder() override { return {}; }
  std::string ProgramFolder() override { return programFolder_; }
  LocalTime Now() override;
  std::string GeneralDate(const LocalTime& t) override;
  void Sleep(int) override {}
  LocaleMarks Locale() override { return {}; }  // US marks
  LocalTime LocalTimeOf(std::int64_t secondsUtc) override;

 private:
  std::string programFolder_;
};

}  // namespace tarvo
