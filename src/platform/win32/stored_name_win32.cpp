#include <windows.h>

#include "platform/host_file_system.h"
#include "platform/win32/wide.h"

namespace tarvo {

// FindFirstFile answers with the directory entry, so a short 8.3 name comes back long.
std::optional<std::string> StoredNameFromDirectoryEntry(const std::string& path) {
  WIN32_FIND_DATAW data;
  const HANDLE h = FindFirstFileW(ToWide(path).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(h);
  return FromWide(data.cFileName);
}

}  // namespace tarvo
