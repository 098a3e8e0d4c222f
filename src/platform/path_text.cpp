#include "platform/file_system.h"

namespace tarvo {

std::string BareName(const std::string& path) {
  const auto pos = path.rfind('\\');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ParentFolder(const std::string& path) {
  const auto pos = path.rfind('\\');
  return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

}  // namespace tarvo
