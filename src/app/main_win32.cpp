// Process entry of tarvobk.exe. With arguments the program runs the automatic backup
// without showing anything and ends; without, it opens the main window.
#include <windows.h>

#include <string>

#include "app/app.h"
#include "app/frm_main.h"
#include "platform/host_file_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_office_probe.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_ui.h"

namespace {

constexpr int kIdBackupNow = 101;
constexpr int kIdQuit = 102;
constexpr wchar_t kWindowClass[] = L"TarvoOutlookBackupMain";

// The argument text as the C runtime hands it to WinMain: the program name (quoted or up
// to the first blank) and the blanks after it are skipped.
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

tarvo::FrmMain* FormOf(HWND window) {
  return reinterpret_cast<tarvo::FrmMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  tarvo::FrmMain* form = FormOf(window);
  switch (message) {
    case WM_COMMAND:
      if (!form) break;
      if (LOWORD(wParam) == kIdBackupNow) form->backupnow_Click();
      if (LOWORD(wParam) == kIdQuit) form->cmdQuit_Click();
      if (form->quitRequested) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      if (form) form->Form_Unload();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A plain window with the run's two buttons; the full window comes with the user interface.
HWND CreateMainWindow(HINSTANCE instance, tarvo::FrmMain& form) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, kWindowClass, tarvo::ToWide(form.caption).c_str(),
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                CW_USEDEFAULT, 360, 140, nullptr, nullptr, instance, &form);
  if (!window) return nullptr;
  CreateWindowExW(0, L"BUTTON", tarvo::ToWide(form.cmdApply.caption).c_str(),
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | (form.cmdApply.enabled ? 0 : WS_DISABLED),
                  20, 30, 140, 32, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBackupNow)), instance,
                  nullptr);
  CreateWindowExW(0, L"BUTTON", tarvo::ToWide(form.cmdQuit.caption).c_str(),
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 180, 30, 140, 32, window,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdQuit)), instance, nullptr);
  return window;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  tarvo::Win32Registry registry;
  tarvo::HostFileSystem files;  // no drive map: Windows paths are used as they are
  tarvo::Win32SystemInfo system;
  tarvo::Win32Processes processes;
  tarvo::Win32Shell shell;
  tarvo::Win32Ui ui;
  tarvo::Win32OfficeProbe office;
  tarvo::Platform platform{registry, files, system, processes, shell, ui, office};
  tarvo::App app(platform);
  // Stored first, before any window exists.
  app.state.CommandLine = tarvo::FromWide(ArgumentText(GetCommandLineW()));

  tarvo::FrmMain form(app);
  form.Form_Load();
  if (!app.state.CommandLine.empty()) {
    form.Form_Activate();  // the unattended run, then the quit procedure
    return 0;
  }

  HWND window = CreateMainWindow(instance, form);
  if (!window) return 1;
  ui.SetOwner(window);
  form.visible = true;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  form.Form_Activate();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}
