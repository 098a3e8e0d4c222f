#include <cstring>

#include "platform/system_error.h"

namespace tarvo {

std::string SystemErrorText(int code) {
  if (code >= kLibzipWin32Base) return "Windows error " + std::to_string(code - kLibzipWin32Base);
  const std::string text = std::strerror(code);
  if (text.empty() || text.rfind("Unknown error", 0) == 0) return "system error " + std::to_string(code);
  return text;
}

}  // namespace tarvo
