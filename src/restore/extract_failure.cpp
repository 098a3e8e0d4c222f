#include "restore/extract_failure.h"

namespace tarvo {

std::string ExtractFailureText(const std::string& entryName, const std::string& why) {
  const std::string reason = why.empty() ? "the file could not be written" : why;
  return "Could not restore " + entryName + ": " + reason + ". The existing file was left as it was.";
}

}  // namespace tarvo
