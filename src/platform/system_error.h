#pragma once
// Error codes in words. libzip hands on the C runtime's errno, or on Windows 10000 plus the
// Win32 error it could not map; the C runtime knows no words for those.
#include <string>

namespace tarvo {

inline constexpr int kLibzipWin32Base = 10000;

// The system's own text for the code, never "Unknown error": a Win32 code (past
// kLibzipWin32Base) through FormatMessage on Windows, an errno through the C runtime.
std::string SystemErrorText(int code);

// True for a Win32 sharing or lock violation passed on by libzip: another program holds
// the file open.
bool IsSharingViolation(int code);

// True when another program holds the file open so that it cannot be replaced (a sharing
// or lock violation on Windows); false elsewhere and for a file that is missing.
bool FileHeldOpen(const std::string& nativePath);

// What the user can do about a file another program holds open.
inline constexpr const char* kFileInUseAdvice =
    "Another program is using the file (Outlook may still be running). Close Outlook and any program that may "
    "use the file, then try again.";

}  // namespace tarvo
