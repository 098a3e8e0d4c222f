#pragma once
// The 8.3 short form of an existing path (GetShortPathName); Windows build only.
#include <string>

namespace tarvo {

std::string ShortPathOf(const std::string& path);

}  // namespace tarvo
