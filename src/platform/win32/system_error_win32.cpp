#include <windows.h>

#include <cstring>

#include "platform/system_error.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_error.h"

namespace tarvo {

std::string Win32ErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length && buffer ? FromWide(std::wstring(buffer, length)) : std::string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = "Windows error " + std::to_string(code);
  return text;
}

std::string SystemErrorText(int code) {
  if (code >= kLibzipWin32Base) return Win32ErrorText(static_cast<DWORD>(code - kLibzipWin32Base));
  const std::string text = std::strerror(code);
  if (text.empty() || text.rfind("Unknown error", 0) == 0) return "system error " + std::to_string(code);
  return text;
}

}  // namespace tarvo
