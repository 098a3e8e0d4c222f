#include "jobs/outlook_closing.h"

#include <algorithm>
#include <set>

#include "core/settings.h"
#include "platform/text.h"

namespace tarvo {
namespace {

constexpr int kLookEveryMs = 250;
// An Outlook with no window to ask serves another program (a sync add-in, a mail merge);
// it is given a moment to end on its own, not the whole wait.
constexpr int kWindowlessWaitMs = 5 * 1000;
constexpr int kAskAgainMs = 1000;

bool IsOutlook(const ProcessEntry& p) {
  // The snapshot's name buffer may carry a NUL and leftovers after it.
  return UpperAscii(p.exeName.substr(0, p.exeName.find('\0'))) == "OUTLOOK.EXE";
}

std::vector<RunningOutlook> AskEachToClose(Processes& processes) {
  std::vector<RunningOutlook> asked;
  for (const ProcessEntry& p : processes.Snapshot()) {
    if (!IsOutlook(p) || !processes.IsOwn(p.pid)) continue;
    RunningOutlook outlook{p.pid, p.exeName.substr(0, p.exeName.find('\0')), processes.CommandLine(p.pid), false};
    outlook.hadWindow = processes.AskToClose(p.pid);
    asked.push_back(outlook);
  }
  return asked;
}

std::string Named(const RunningOutlook& o) {
  return PrintableText(o.exe) + " (process " + std::to_string(o.pid) + ")";
}

std::string NameList(const std::vector<RunningOutlook>& list) {
  std::string text;
  for (const RunningOutlook& o : list) text += (text.empty() ? "" : ", ") + Named(o);
  return text;
}

}  // namespace

int OutlookCloseWaitMs(FileSystem& files, const std::string& settingsFile) {
  const auto seconds = ReadsAsNumber(ReadSetting(files, settingsFile, "backup", "closeoutlookwait"));
  if (!seconds || *seconds < 0) return 120 * 1000;
  return static_cast<int>(std::min<long long>(static_cast<long long>(*seconds), 600)) * 1000;
}

OutlookClosing CloseOutlook(Processes& processes, SystemInfo& system, const ClosingRules& rules,
                            const std::function<bool(int)>& keepWaiting) {
  OutlookClosing result;
  std::vector<RunningOutlook> waiting = AskEachToClose(processes);
  while (!waiting.empty()) {
    std::vector<RunningOutlook> still;
    for (const RunningOutlook& o : waiting) (processes.Running(o.pid) ? still : result.closed).push_back(o);
    waiting.swap(still);
    const bool anyWindow = std::any_of(waiting.begin(), waiting.end(), [](const auto& o) { return o.hadWindow; });
    const int limit = anyWindow ? rules.waitMs : std::min(rules.waitMs, kWindowlessWaitMs);
    if (waiting.empty() || result.waitedMs >= limit) break;
    if (keepWaiting && !keepWaiting(result.waitedMs)) {
      result.stopped = true;
      break;
    }
    system.Sleep(kLookEveryMs);
    result.waitedMs += kLookEveryMs;
    // An Outlook still starting shows its window late; one already asked is not asked again.
    if (result.waitedMs % kAskAgainMs == 0)
      for (RunningOutlook& o : waiting)
        if (!o.hadWindow) o.hadWindow = processes.AskToClose(o.pid);
  }
  for (const RunningOutlook& o : waiting) {
    const bool ended = rules.force && !result.stopped && processes.Terminate(o.pid, 0);
    (ended ? result.forced : result.left).push_back(o);
  }
  return result;
}

std::vector<std::string> OutlookClosingLogEntries(const std::string& now, const OutlookClosing& closing) {
  std::vector<std::string> entries;
  if (!closing.closed.empty()) entries.push_back(now + " Outlook was closed for the backup: " + NameList(closing.closed) + "\n");
  if (!closing.forced.empty())
    entries.push_back(now + " Outlook did not close within " + std::to_string(closing.waitedMs / 1000) +
                      " seconds and was ended by force: " + NameList(closing.forced) + "\n");
  if (!closing.left.empty())
    entries.push_back(now + " Outlook is still running" + (closing.stopped ? " (the wait was stopped)" : "") + ": " +
                      NameList(closing.left) + "\n");
  return entries;
}

bool StartClosedOutlookAgain(Shell& shell, const OutlookClosing& closing) {
  std::set<std::string> started;
  for (const auto* list : {&closing.closed, &closing.forced})
    for (const RunningOutlook& o : *list)
      if (o.hadWindow && !o.commandLine.empty() && started.insert(o.commandLine).second)
        shell.Start(o.commandLine, WindowMode::Normal);
  return !started.empty();
}

}  // namespace tarvo
