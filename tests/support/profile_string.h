#pragma once
// The Windows profile-string functions, called exactly as the program's original code
// called them, for the contract test. Only the Windows build defines these.
#include <string>

namespace tarvo {

// GetPrivateProfileStringA with default "", a 128-byte buffer, cut at the NUL, trimmed.
std::string WinProfileRead(const std::string& file, const std::string& section, const std::string& key);
// WritePrivateProfileStringA with the value + NUL left-aligned in a 128-byte blank buffer.
void WinProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value);

}  // namespace tarvo
