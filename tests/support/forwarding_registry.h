#pragma once
// A registry that hands every call to another one; tests override the calls they change.
#include <string>

#include "platform/registry_api.h"

namespace tarvo {

class ForwardingRegistry : public RegistryApi {
 public:
  explicit ForwardingRegistry(RegistryApi& inner) : in(inner) {}
  long OpenKey(RegKey p, const std::string& s, std::uint32_t a, RegKey* r) override { return in.OpenKey(p, s, a, r); }
  long CreateKey(RegKey p, const std::string& s, RegKey* r) override { return in.CreateKey(p, s, r); }
  long CloseKey(RegKey k) override { return in.CloseKey(k); }
  long EnumKey(RegKey k, std::uint32_t i, std::uint32_t c, std::string* n) override { return in.EnumKey(k, i, c, n); }
  long EnumValue(RegKey k, std::uint32_t i, std::uint32_t c, std::string* n, std::uint32_t* t, std::uint8_t* d,
                 std::uint32_t* s) override {
    return in.EnumValue(k, i, c, n, t, d, s);
  }
  long EnumValueRaw(RegKey k, std::uint32_t i, std::uint32_t c, std::string* n, std::uint32_t* t, std::uint8_t* d,
                    std::uint32_t* s) override {
    return in.EnumValueRaw(k, i, c, n, t, d, s);
  }
  long QueryValue(RegKey k, const std::string& n, std::uint32_t* t, std::uint8_t* d, std::uint32_t* s) override {
    return in.QueryValue(k, n, t, d, s);
  }
  long SetValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return in.SetValue(k, n, t, d, s);
  }
  long SetValueRaw(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return in.SetValueRaw(k, n, t, d, s);
  }
  long DeleteKey(RegKey k, const std::string& s) override { return in.DeleteKey(k, s); }
  long DeleteValue(RegKey k, const std::string& n) override { return in.DeleteValue(k, n); }

 protected:
  RegistryApi& in;
};

}  // namespace tarvo
