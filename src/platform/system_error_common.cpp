#include "platform/system_error.h"

#include "platform/text.h"

namespace tarvo {
namespace {

// Another program's name is its own to choose: printable and short in our messages.
std::string Shown(const std::string& name) {
  constexpr std::size_t kLongest = 80;
  return PrintableText(name.size() > kLongest ? name.substr(0, kLongest) + "..." : name);
}

std::string HolderText(const FileHolder& holder) {
  const std::string app = Shown(holder.app), exe = Shown(holder.exe);
  const std::string process = "process " + std::to_string(holder.pid);
  if (app.empty()) return exe.empty() ? "a program (" + process + ")" : exe + " (" + process + ")";
  return app + " (" + (exe.empty() ? process : exe + ", " + process) + ")";
}

}  // namespace

bool IsSharingViolation(int code) {
  constexpr int kSharingViolation = 32, kLockViolation = 33;  // ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION
  return code == kLibzipWin32Base + kSharingViolation || code == kLibzipWin32Base + kLockViolation;
}

std::string HeldFileAdvice(const std::string& fileName, const std::vector<FileHolder>& holders) {
  if (holders.empty()) return kFileInUseAdvice;
  // A file is seldom held by more than a few; the rest are counted, not listed.
  constexpr std::size_t kListed = 3;
  std::string text = Shown(fileName) + " is in use by ";
  for (std::size_t i = 0; i < holders.size() && i < kListed; ++i) {
    if (i > 0) text += i + 1 == holders.size() ? " and " : ", ";
    text += HolderText(holders[i]);
  }
  if (holders.size() > kListed) text += " and " + std::to_string(holders.size() - kListed) + " more";
  return text + (holders.size() == 1 ? ". Close it, then try again." : ". Close them, then try again.");
}

bool SaysFileHeld(const std::string& errorText) {
  return errorText.find(kFileInUseAdvice) != std::string::npos || errorText.find(" is in use by ") != std::string::npos;
}

std::string HeldFileAdviceFor(const std::string& fileName, const std::string& nativePath) {
  return HeldFileAdvice(fileName, FileHolders(nativePath));
}

}  // namespace tarvo
