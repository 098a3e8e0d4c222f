#pragma once
// One running program: the platform, the process-wide values and the shared components.
#include <functional>
#include <string>

#include "core/app_state.h"
#include "backup/zip_component.h"
#include "platform/platform.h"
#include "registry/mod_reg.h"

namespace tarvo {

struct App {
  explicit App(Platform& p) : platform(p), reg(p.registry, p.ui), zip(p.files) {}
  Platform& platform;
  AppState state;
  ModReg reg;
  ZipComponent zip;  // zip1
  // Called with a finished archive just before the runs check it; tests damage it here.
  std::function<void(const std::string& workFile)> beforeArchiveCheck;
};

}  // namespace tarvo
