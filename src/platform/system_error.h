#pragma once
// Error codes in words. libzip hands on the C runtime's errno, or on Windows 10000 plus the
// Win32 error it could not map; the C runtime knows no words for those.
#include <cstdint>
#include <string>
#include <vector>

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

// A program that holds a file open, as the system's Restart Manager names it.
struct FileHolder {
  std::uint32_t pid = 0;
  std::string app;  // "Microsoft Outlook"; may be empty
  std::string exe;  // "OUTLOOK.EXE"; may be empty
};

// The programs holding the file; empty where the system cannot say (and off Windows).
std::vector<FileHolder> FileHolders(const std::string& nativePath);

// What the user can do about a file another program holds open.
inline constexpr const char* kFileInUseAdvice =
    "Another program is using the file (Outlook may still be running). Close Outlook and any program that may "
    "use the file, then try again.";

// The advice for a held file: its holders by name when known ("Home.pst is in use by
// Microsoft Outlook (OUTLOOK.EXE, process 4312). Close it, then try again."), otherwise
// kFileInUseAdvice. Names come from other programs: they are shown printable and cut short.
std::string HeldFileAdvice(const std::string& fileName, const std::vector<FileHolder>& holders);

// True when an error text carries either form of the advice.
bool SaysFileHeld(const std::string& errorText);

// The advice for the file at nativePath, asking the system for its holders.
std::string HeldFileAdviceFor(const std::string& fileName, const std::string& nativePath);

}  // namespace tarvo
