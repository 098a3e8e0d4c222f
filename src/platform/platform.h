#pragma once
// The operating system as the portable core sees it.
#include "platform/file_system.h"
#include "platform/office_probe.h"
#include "platform/processes.h"
#include "platform/registry_api.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/ui.h"

namespace tarvo {

struct Platform {
  RegistryApi& registry;
  FileSystem& files;
  SystemInfo& system;
  Processes& processes;
  Shell& shell;
  Ui& ui;
  OfficeProbe& office;
};

}  // namespace tarvo
