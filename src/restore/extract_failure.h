#pragma once
// The log text of an archive entry that could not be restored, with the reason in words.
#include <string>

namespace tarvo {

std::string ExtractFailureText(const std::string& entryName, const std::string& why);

}  // namespace tarvo
