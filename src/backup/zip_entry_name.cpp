#include <algorithm>
#include <cctype>
#include <string>

#include "backup/zip_component.h"

namespace tarvo {

namespace {

std::string UpperAscii(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Windows opens a device instead of a file for CON, PRN, AUX, NUL, CONIN$, CONOUT$ and
// COM or LPT with a digit (1 to 9, 0 and the superscripts 1, 2 and 3 included), whatever
// extension follows and with blanks before it.
bool IsDeviceName(const std::string& name) {
  std::string stem = UpperAscii(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (stem == device) return true;
  if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
  const std::string digit = stem.substr(3);
  return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" ||
         digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
  const bool badChar = std::any_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
  });
  if (badChar) return false;
  // Windows drops trailing dots and blanks, so "a.pst " would land on "a.pst".
  if (name.back() == '.' || name.back() == ' ') return false;
  return !IsDeviceName(name);
}

}  // namespace tarvo
