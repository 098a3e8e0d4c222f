// Process entry of tarvobk.exe. With arguments the program runs the automatic backup
// without showing anything and ends; without, it opens the main window.
#include <windows.h>

#include <string>

#include "jobs/app.h"
#include "forms/frm_main.h"
#include "platform/event_log.h"
#include "platform/host_file_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_office_probe.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_ui.h"
#include "ui/win32/main_window.h"

namespace {

// The argument text as the C runtime hands it to WinMain: the program name (quoted or up
// to the first blank) and the blanks after it are skipped. So a program started with no
// arguments but a trailing blank, as some launchers do, still opens its window.
std::wstring ArgumentText(const wchar_t* commandLine) {
  const wchar_t* p = commandLine ? commandLine : L"";
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p > L' ') ++p;
  }
  while (*p && *p <= L' ') ++p;
  return p;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  tarvo::Win32Registry registry;
  tarvo::HostFileSystem files;  // no drive map: Windows paths are used as they are
  tarvo::Win32SystemInfo system;
  tarvo::Win32Processes processes;
  tarvo::Win32Shell shell;
  tarvo::Win32Ui ui;
  tarvo::Win32OfficeProbe office;
  tarvo::Platform platform{registry, files, system, processes, shell, ui, office};
  tarvo::App app(platform);
  const auto events = tarvo::OpenSystemEventLog();
  app.events = events.get();
  // Stored first, before any window exists.
  app.state.CommandLine = tarvo::FromWide(ArgumentText(GetCommandLineW()));
  const bool unattended = !app.state.CommandLine.empty();

  tarvo::RegisterFormWindows(ui);
  if (!unattended) tarvo::ShowSplash();
  tarvo::FrmMain form(app);
  form.Form_Load();
  if (unattended) {
    form.Form_Activate();  // the automatic backup, then the quit procedure
    return 0;
  }
  return tarvo::RunMainWindow(form, ui, showCommand);
}
