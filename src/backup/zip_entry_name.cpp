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

// CON, PRN, AUX, NUL, COM1..9, LPT1..9, with or without an extension, open devices on
// Windows instead of files.
bool IsDeviceName(const std::string& name) {
  const std::string stem = UpperAscii(name.substr(0, name.find('.')));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
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
