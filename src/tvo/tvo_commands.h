#pragma once
// The `tvo` command-line tool: inspects, verifies and extracts archives, and on Windows
// runs the same backup and restore jobs as the main window.
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/event_log.h"
#include "platform/platform.h"
#include "tvo/console_ui.h"
#include "platform/file_system.h"

namespace tarvo {

// Exit codes.
inline constexpr int kTvoOk = 0;
inline constexpr int kTvoFailed = 1;  // the archive is not sound, or a run reported a failure
inline constexpr int kTvoUsage = 2;   // bad command line or unreadable input

struct TvoHost {
  Platform& platform;  // platform.ui is `ui`
  ConsoleUi& ui;
  // A path as the user typed it -> the Windows path the core works with.
  std::function<std::string(const std::string&)> corePath;
  // Where the information record and work files go for the archive commands, which do
  // not use the data folder.
  std::string workFolder;
  // The backup and restore commands need the real registry and Outlook folders.
  bool windowsRuns = false;
  // Where backup and restore report their event; none: they report nothing.
  EventLog* events = nullptr;
};

int RunTvo(const std::vector<std::string>& args, TvoHost& host, std::ostream& out, std::ostream& err);

// The password file's first line, without its line end; nullopt when unreadable.
std::optional<std::string> ReadPasswordFile(FileSystem& files, const std::string& path);

}  // namespace tarvo
