// tvo: the archive tool for administrators and scripts. On Windows it works on the real
// system; elsewhere host paths are seen by the core as drive Z:, as Wine shows them.
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "platform/event_log.h"
#include "platform/host_file_system.h"
#include "tvo/console_ui.h"
#include "tvo/offline_platform.h"
#include "tvo/tvo_commands.h"

#ifdef _WIN32
#include "platform/win32/win32_arguments.h"
#include "platform/win32/win32_office_probe.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#endif

namespace fs = std::filesystem;

namespace {

// A fresh folder for the information record and work files, removed at the end.
fs::path MakeWorkFolder() {
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path dir = base / ("tvo-work-" + std::to_string(std::random_device{}()));
    std::error_code ec;
    if (fs::create_directory(dir, ec)) return dir;
  }
  return {};
}

}  // namespace


int main(int argc, char** argv) {
  using namespace tarvo;
  const fs::path work = MakeWorkFolder();
  if (work.empty()) {
    std::cerr << "tvo: cannot create a work folder\n";
    return kTvoUsage;
  }
  ConsoleUi ui(std::cerr);
  OfflineShell noShell;
  int code = kTvoUsage;
  {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    const std::vector<std::string> args = Utf8Arguments();
    HostFileSystem files;
    Win32Registry registry;
    Win32SystemInfo system;
    Win32Processes processes;
    Win32Shell shell;
    Win32OfficeProbe office;
    Platform platform{registry, files, system, processes, shell, ui, office};
    const auto corePath = [](const std::string& p) { return PathToUtf8(fs::absolute(PathFromUtf8(p))); };
    TvoHost host{platform, ui, corePath, PathToUtf8(work), true};
    const auto events = OpenSystemEventLog();
    host.events = events.get();
#else
    const std::vector<std::string> args(argv + 1, argv + argc);
    HostFileSystem files({{'Z', "/"}});
    OfflineRegistry registry;
    OfflineSystemInfo system("");
    OfflineProcesses processes;
    OfflineOfficeProbe office;
    Platform platform{registry, files, system, processes, noShell, ui, office};
    // "/tmp/a.tvo" <-> "Z:\tmp\a.tvo"
    const auto corePath = [](const std::string& p) {
      std::string text = fs::absolute(fs::path(p)).lexically_normal().string();
      for (char& c : text)
        if (c == '/') c = '\\';
      return "Z:" + text;
    };
    TvoHost host{platform, ui, corePath, corePath(work.string()), false};
#endif
    code = RunTvo(args, host, std::cout, std::cerr);
  }
  std::error_code ec;
  fs::remove_all(work, ec);
  return code;
}
