#pragma once
// A Win32 error or an HRESULT in the system's words, never empty.
#include <windows.h>

#include <string>

namespace tarvo {

std::string Win32ErrorText(DWORD code);

}  // namespace tarvo
