#pragma once
// The command line of `tvo`: a command, its paths and its options.
#include <map>
#include <string>
#include <vector>

namespace tarvo {

extern const char* const kTvoUsageText;

struct TvoCommand {
  std::string name;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
};

struct TvoUsageError {
  std::string text;
};

// Throws TvoUsageError for an unknown command or option, a missing value or path.
TvoCommand ParseTvoCommand(const std::vector<std::string>& args);

}  // namespace tarvo
