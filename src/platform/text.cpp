#include "platform/text.h"

namespace tarvo {
namespace {

std::string TrimOf(const std::string& text, const char* blanks) {
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::string TrimSpaces(const std::string& text) { return TrimOf(text, " "); }

std::string TrimSpacesAndTabs(const std::string& text) { return TrimOf(text, " \t"); }

std::string TrimNameBuffer(const std::string& buffer) { return TrimSpaces(buffer.substr(0, buffer.find('\0'))); }

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string CollapseBackslashRuns(std::string path) {
  std::string::size_type pos;
  while ((pos = path.find("\\\\")) != std::string::npos) path.erase(pos, 1);
  return path;
}

std::string HalveDoubledBackslashes(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    out += path[i];
    if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
  }
  return out;
}

}  // namespace tarvo
