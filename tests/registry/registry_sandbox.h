#pragma once
// A fresh key "HKEY_CURRENT_USER\Software\TarvoTest\<unique>" per test on the test
// registry (the double natively, Wine's registry in the Windows build), removed after.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "support/test_registry.h"

namespace tarvo {

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> out;
  for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

// String data as the registry holds it: UTF-8 with its terminator.
inline std::vector<std::uint8_t> Sz(const std::string& text) {
  std::vector<std::uint8_t> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

class RegistrySandbox {
 public:
  RegistrySandbox() : owner_(MakeTestRegistry()), api_(*owner_) {
    std::random_device seed;
    subkey_ = "Software\\TarvoTest\\t" + std::to_string(seed()) + std::to_string(seed());
    RegKey key = 0;
    EXPECT_EQ(api_.CreateKey(regroot::CurrentUser, subkey_, &key), kErrorSuccess);
    api_.CloseKey(key);
  }
  ~RegistrySandbox() { DeleteTree(subkey_); }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  RegistryApi& api() { return api_; }
  // "Software\TarvoTest\<unique>" below HKEY_CURRENT_USER.
  const std::string& subkey() const { return subkey_; }
  // The key path text of the sandbox or of a key below it ("" for the sandbox itself).
  std::string Path(const std::string& below = "") const {
    return "HKEY_CURRENT_USER\\" + subkey_ + (below.empty() ? "" : "\\" + below);
  }
  std::string Sub(const std::string& below) const { return below.empty() ? subkey_ : subkey_ + "\\" + below; }

  // Creates the key below the sandbox (with missing keys on the way) and sets a value.
  void Set(const std::string& below, const std::string& name, std::uint32_t type,
           const std::vector<std::uint8_t>& data) {
    RegKey key = 0;
    ASSERT_EQ(api_.CreateKey(regroot::CurrentUser, Sub(below), &key), kErrorSuccess);
    EXPECT_EQ(api_.SetValue(key, name, type, data.empty() ? nullptr : data.data(),
                            static_cast<std::uint32_t>(data.size())),
              kErrorSuccess);
    api_.CloseKey(key);
  }
  void MakeKey(const std::string& below) {
    RegKey key = 0;
    ASSERT_EQ(api_.CreateKey(regroot::CurrentUser, Sub(below), &key), kErrorSuccess);
    api_.CloseKey(key);
  }
  bool Exists(const std::string& below) {
    RegKey key = 0;
    if (api_.OpenKey(regroot::CurrentUser, Sub(below), kKeyRead, &key) != kErrorSuccess) return false;
    api_.CloseKey(key);
    return true;
  }

  // Every key and value below `below`, one line each, keys and values in enumeration
  // order: the whole state of a branch, for before/after comparisons.
  std::string Dump(const std::string& below = "") {
    std::string out;
    DumpKey(Sub(below), "", &out);
    return out;
  }

 private:
  void DumpKey(const std::string& sub, const std::string& rel, std::string* out) {
    RegKey key = 0;
    if (api_.OpenKey(regroot::CurrentUser, sub, kKeyRead, &key) != kErrorSuccess) {
      *out += "[missing " + rel + "]\n";
      return;
    }
    *out += "[" + rel + "]\n";
    for (std::uint32_t i = 0;; ++i) {
      std::string name;
      std::uint32_t type = 0;
      std::vector<std::uint8_t> data(65536);
      std::uint32_t size = static_cast<std::uint32_t>(data.size());
      if (api_.EnumValue(key, i, 16384, &name, &type, data.data(), &size) != kErrorSuccess) break;
      *out += name + " type " + std::to_string(type) + ":";
      for (std::uint32_t b = 0; b < size; ++b) *out += " " + std::to_string(data[b]);
      *out += "\n";
    }
    std::vector<std::string> names;
    for (std::uint32_t i = 0;; ++i) {
      std::string name;
      if (api_.EnumKey(key, i, 256, &name) != kErrorSuccess) break;
      names.push_back(name);
    }
    api_.CloseKey(key);
    for (const auto& name : names) DumpKey(sub + "\\" + name, rel + "\\" + name, out);
  }

  void DeleteTree(const std::string& sub) {
    RegKey key = 0;
    if (api_.OpenKey(regroot::CurrentUser, sub, kKeyRead, &key) != kErrorSuccess) return;
    std::vector<std::string> names;
    for (std::uint32_t i = 0;; ++i) {
      std::string name;
      if (api_.EnumKey(key, i, 256, &name) != kErrorSuccess) break;
      names.push_back(name);
    }
    api_.CloseKey(key);
    for (const auto& name : names) DeleteTree(sub + "\\" + name);
    api_.DeleteKey(regroot::CurrentUser, sub);
  }

  std::unique_ptr<RegistryApi> owner_;
  RegistryApi& api_;
  std::string subkey_;
};

}  // namespace tarvo
