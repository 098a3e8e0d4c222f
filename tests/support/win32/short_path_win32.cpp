#include <windows.h>

#include "platform/win32/wide.h"
#include "support/short_path.h"

namespace tarvo {

std::string ShortPathOf(const std::string& path) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = GetShortPathNameW(ToWide(path).c_str(), buffer, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : FromWide(buffer);
}

}  // namespace tarvo
