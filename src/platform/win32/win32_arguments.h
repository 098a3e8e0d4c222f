#pragma once
// The process's command-line arguments as UTF-8, whatever the ANSI code page.
#include <string>
#include <vector>

namespace tarvo {

// Without the program name.
std::vector<std::string> Utf8Arguments();

}  // namespace tarvo
