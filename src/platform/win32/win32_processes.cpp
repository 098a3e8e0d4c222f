#include "platform/win32/win32_processes.h"

#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include "platform/win32/wide.h"

namespace tarvo {

std::vector<ProcessEntry> Win32Processes::Snapshot() {
  std::vector<ProcessEntry> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry))
    out.push_back(ProcessEntry{entry.th32ProcessID, FromWide(entry.szExeFile)});
  CloseHandle(snap);
  return out;
}

bool Win32Processes::Terminate(std::uint32_t pid, std::uint32_t exitCode) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
  if (!process) return false;
  const bool ended = TerminateProcess(process, exitCode) != 0;
  CloseHandle(process);
  return ended;
}

}  // namespace tarvo
