#pragma once
// Closing this user's Outlook before a backup, as a user would: each main window is asked
// to close and the run waits for the processes to end. Only the interactive run may then
// end what is left by force; Outlook is started again afterwards if it was running.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/shell.h"
#include "platform/system_info.h"

namespace tarvo {

struct RunningOutlook {
  std::uint32_t pid = 0;
  std::string exe;          // as the system names it ("OUTLOOK.EXE")
  std::string commandLine;  // how it was started; empty when the system cannot say
  bool hadWindow = false;   // a window was asked to close; a windowless Outlook serves another program
};

struct OutlookClosing {
  std::vector<RunningOutlook> closed;  // ended when asked
  std::vector<RunningOutlook> forced;  // ended by force after the wait
  std::vector<RunningOutlook> left;    // still running after the run gave up on them
  bool stopped = false;                // the user stopped the wait
  int waitedMs = 0;
};

struct ClosingRules {
  int waitMs = 120 * 1000;
  bool force = false;  // end what is left after the wait
};

// The wait for Outlook to close, in milliseconds: "closeoutlookwait" of section "backup" in
// seconds, 120 when missing or not a number, at most 600.
int OutlookCloseWaitMs(FileSystem& files, const std::string& settingsFile);

// keepWaiting is called between looks with the time waited so far; false stops the wait
// (and no process is then ended by force).
OutlookClosing CloseOutlook(Processes& processes, SystemInfo& system, const ClosingRules& rules,
                            const std::function<bool(int waitedMs)>& keepWaiting);

// Run log entries (each with its line end) for what the closing did; none when no Outlook ran.
std::vector<std::string> OutlookClosingLogEntries(const std::string& now, const OutlookClosing& closing);

// Starts again each Outlook the closing ended that the user had open (once per command line).
// True when one was started.
bool StartClosedOutlookAgain(Shell& shell, const OutlookClosing& closing);

}  // namespace tarvo
