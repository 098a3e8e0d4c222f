#pragma once
// Everything a form test needs: `TestPlatform tp; App app(tp.platform);`.
// The registry comes from MakeTestRegistry(): the registry double natively, the real
// registry under Wine. The drive holds C: with the program folder already created.
#include <memory>

#include "platform/platform.h"
#include "support/fake_office.h"
#include "support/fake_processes.h"
#include "support/fake_shell.h"
#include "support/fake_system.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "support/test_registry.h"

namespace tarvo {

struct TestPlatform {
  TestPlatform() { drive.MakeFolder(system.programFolder); }
  TestPlatform(const TestPlatform&) = delete;
  TestPlatform& operator=(const TestPlatform&) = delete;

  std::unique_ptr<RegistryApi> registryOwner = MakeTestRegistry();
  RegistryApi& registry = *registryOwner;
  TempDrive drive;
  FakeSystemInfo system;
  FakeProcesses processes;
  FakeShell shell;
  ScriptedUi ui;
  FakeOfficeProbe office;
  Platform platform{registry, drive.fs(), system, processes, shell, ui, office};
};

}  // namespace tarvo
