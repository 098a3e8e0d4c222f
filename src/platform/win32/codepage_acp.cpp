// The ANSI code page of the running system, as the archive and preference files use it.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/win32/wide.h"

namespace tarvo {

// Never best fit: it would turn a full-width "．．＼" into "..\", so a name that passed
// every check as Unicode could mean another file once converted. Characters the code page
// lacks become its default character, "?".
std::string Utf8ToAnsi(const std::string& utf8) {
  const std::wstring wide = ToWide(utf8);
  if (wide.empty()) return {};
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int n =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return FromWide(wide);
}

}  // namespace tarvo
