// Who holds a file, from the Restart Manager: the same list Windows shows when it asks to
// close programs before an update.
#include <windows.h>
// after windows.h
#include <restartmanager.h>

#include <algorithm>
#include <vector>

#include "platform/system_error.h"
#include "platform/win32/wide.h"

namespace tarvo {
namespace {

std::string ExeNameOf(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t path[MAX_PATH * 4];
  DWORD size = static_cast<DWORD>(std::size(path));
  const bool named = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
  CloseHandle(process);
  if (!named) return {};
  const std::wstring full(path, size);
  return FromWide(full.substr(full.find_last_of(L"\\/") + 1));
}

std::vector<FileHolder> Listed(DWORD session) {
  // The list grows between the two calls when a program opens the file meanwhile.
  std::vector<RM_PROCESS_INFO> info(8);
  UINT needed = 0, count = 0;
  DWORD reasons = 0, rc = ERROR_MORE_DATA;
  for (int attempt = 0; attempt < 3 && rc == ERROR_MORE_DATA; ++attempt) {
    count = static_cast<UINT>(info.size());
    rc = RmGetList(session, &needed, &count, info.data(), &reasons);
    if (rc == ERROR_MORE_DATA) info.resize(std::min<UINT>(needed + 4, 256));
  }
  std::vector<FileHolder> out;
  if (rc != ERROR_SUCCESS) return out;
  // Only what the list says it filled: an entry without a process names nobody.
  for (UINT i = 0; i < count && i < needed && i < info.size(); ++i) {
    const DWORD pid = info[i].Process.dwProcessId;
    if (pid == 0) continue;
    out.push_back(FileHolder{pid, FromWide(info[i].strAppName), ExeNameOf(pid)});
  }
  return out;
}

}  // namespace

std::vector<FileHolder> FileHolders(const std::string& nativePath) {
  if (nativePath.empty()) return {};
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (RmStartSession(&session, 0, key) != ERROR_SUCCESS) return {};
  std::vector<FileHolder> out;
  const std::wstring wide = ToWide(nativePath);
  LPCWSTR files[] = {wide.c_str()};
  if (RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) out = Listed(session);
  RmEndSession(session);
  return out;
}

}  // namespace tarvo
