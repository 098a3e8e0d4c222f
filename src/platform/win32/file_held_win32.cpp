#include <windows.h>

#include "platform/system_error.h"
#include "platform/win32/wide.h"

namespace tarvo {

bool FileHeldOpen(const std::string& nativePath) {
  if (nativePath.empty()) return false;
  // Opening without sharing fails only while another handle is open on the file.
  HANDLE file = CreateFileW(ToWide(nativePath).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

}  // namespace tarvo
