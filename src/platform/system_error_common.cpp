#include "platform/system_error.h"

namespace tarvo {

bool IsSharingViolation(int code) {
  constexpr int kSharingViolation = 32, kLockViolation = 33;  // ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION
  return code == kLibzipWin32Base + kSharingViolation || code == kLibzipWin32Base + kLockViolation;
}

}  // namespace tarvo
