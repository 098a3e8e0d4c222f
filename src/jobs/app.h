#pragma once
// One running program: the platform, the process-wide values and the shared components.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "backup/zip_component.h"
#include "platform/event_log.h"
#include "platform/platform.h"
#include "registry/mod_reg.h"

namespace tarvo {

class DiscDevice;

struct App {
  explicit App(Platform& p) : platform(p), reg(p.registry, p.ui), zip(p.files) {}
  Platform& platform;
  AppState state;
  ModReg reg;
  ZipComponent zip;  // zip1
  // Called with a finished archive just before the runs check it; tests damage it here.
  std::function<void(const std::string& workFile)> beforeArchiveCheck;
  // The machine's disc recorders for the disc window, `error` set when they could not be
  // listed; unset: the burning service's (tests script drives here).
  std::function<std::vector<std::unique_ptr<DiscDevice>>(std::string& error)> recorderDrives;
  bool recorderErrorShown = false;  // a failed listing is told once per run
  // Opens the disc window modally; set by the main window (jobs do not know the forms).
  std::function<void()> showDiscWindow;
  // Where each run reports its one event; none: the runs report nothing.
  EventLog* events = nullptr;
};

}  // namespace tarvo
