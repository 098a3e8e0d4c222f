#pragma once
// UTF-8 <-> UTF-16 at the boundary of the W entry points.
#include <string>

namespace tarvo {

std::wstring ToWide(const std::string& utf8);
std::string FromWide(const std::wstring& wide);
// A NUL-terminated buffer filled by an API; stops at the first NUL.
std::string FromWide(const wchar_t* wide);

}  // namespace tarvo
