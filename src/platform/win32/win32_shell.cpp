#include "platform/win32/win32_shell.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

WORD ShowCommand(WindowMode mode) {
  switch (mode) {
    case WindowMode::Hidden:
      return SW_HIDE;
    case WindowMode::Minimized:
      return SW_SHOWMINIMIZED;
    case WindowMode::Normal:
      break;
  }
  return SW_SHOWNORMAL;
}

// The caller owns both handles in info; false when nothing was started.
bool Launch(const std::string& commandLine, WindowMode mode, PROCESS_INFORMATION& info) {
  const std::wstring wide = ToWide(commandLine);
  if (wide.empty()) return false;
  std::vector<wchar_t> mutableLine(wide.begin(), wide.end());  // CreateProcessW may write into it
  mutableLine.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowCommand(mode);
  info = PROCESS_INFORMATION{};
  return CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info) != 0;
}

}  // namespace

bool Win32Shell::Start(const std::string& commandLine, WindowMode mode) {
  PROCESS_INFORMATION info;
  if (!Launch(commandLine, mode, info)) return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

int Win32Shell::RunAndWait(const std::string& commandLine, WindowMode mode, int timeoutMs) {
  PROCESS_INFORMATION info;
  if (!Launch(commandLine, mode, info)) return -1;
  CloseHandle(info.hThread);
  int result = -1;
  const DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
  DWORD code = 0;
  if (WaitForSingleObject(info.hProcess, wait) == WAIT_OBJECT_0 && GetExitCodeProcess(info.hProcess, &code))
    result = static_cast<int>(code);
  CloseHandle(info.hProcess);
  return result;
}

}  // namespace tarvo
