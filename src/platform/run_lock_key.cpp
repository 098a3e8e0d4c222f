#include <cctype>
#include <cstdint>
#include <cstdio>

#include "platform/run_lock.h"

namespace tarvo {

std::string RunLockKey(const std::string& name) {
  // FNV-1a over the upper-cased bytes: lock names must be short and free of "\".
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : name) {
    hash ^= static_cast<unsigned char>(std::toupper(c));
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace tarvo
