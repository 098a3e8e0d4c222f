#pragma once
// The system's single-byte (ANSI) code page, used for every file of the archive format
// and the preferences. Windows-1252 in the native build, CP_ACP on Windows.
#include <string>

namespace tarvo {

std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);

}  // namespace tarvo
