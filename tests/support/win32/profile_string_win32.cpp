#include <windows.h>

#include "platform/codepage.h"
#include "support/profile_string.h"

namespace tarvo {

namespace {

std::string TrimBlanks(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

std::string WinProfileRead(const std::string& file, const std::string& section, const std::string& key) {
  char buffer[128] = {};
  GetPrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(), "", buffer, sizeof buffer,
                           Utf8ToAnsi(file).c_str());
  return TrimBlanks(AnsiToUtf8(std::string(buffer, strnlen(buffer, sizeof buffer))));
}

void WinProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) {
  std::string buffer = Utf8ToAnsi(value) + '\0';
  buffer.resize(128, ' ');
  buffer += '\0';  // what the call marshals after a full buffer
  WritePrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(), buffer.c_str(),
                             Utf8ToAnsi(file).c_str());
}

}  // namespace tarvo
