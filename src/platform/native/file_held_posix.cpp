#include "platform/system_error.h"

namespace tarvo {

// POSIX locks are advisory: an open file never stops a rename over it.
bool FileHeldOpen(const std::string& /*nativePath*/) { return false; }

std::vector<FileHolder> FileHolders(const std::string& /*nativePath*/) { return {}; }

}  // namespace tarvo
