#pragma once
// Writing test data into the test registry by full key path ("HKEY_CURRENT_USER\...").
#include <gtest/gtest.h>

#include <string>

#include "registry/mod_reg.h"

namespace tarvo {

inline void SeedKey(ModReg& reg, const std::string& keyPath) {
  std::string subkey = keyPath;
  const RegKey root = reg.ParseKeyPath(subkey);
  RegKey key = 0;
  ASSERT_EQ(reg.api().CreateKey(root, subkey, &key), kErrorSuccess) << keyPath;
  reg.api().CloseKey(key);
}

inline void SeedString(ModReg& reg, const std::string& keyPath, const std::string& name, const std::string& text) {
  SeedKey(reg, keyPath);
  reg.SetStringValue(keyPath, name, text);
  ASSERT_EQ(reg.LastResult(), kErrorSuccess) << keyPath << " " << name;
}

// Puts a string value in place for one test and restores what was there before, so the
// tests leave a real (Wine) registry as they found it.
class ScopedString {
 public:
  ScopedString(ModReg& reg, std::string keyPath, std::string name, const std::string& text)
      : reg_(reg), keyPath_(std::move(keyPath)), name_(std::move(name)), old_(reg_.GetStringValue(keyPath_, name_)) {
    SeedString(reg_, keyPath_, name_, text);
  }
  ~ScopedString() {
    if (old_ == kRegError)
      reg_.DeleteValue(keyPath_, name_);
    else
      reg_.SetStringValue(keyPath_, name_, old_);
  }
  ScopedString(const ScopedString&) = delete;
  ScopedString& operator=(const ScopedString&) = delete;

 private:
  ModReg& reg_;
  std::string keyPath_, name_, old_;
};

}  // namespace tarvo
