#pragma once
// RegistryApi over the real Windows registry (W entry points). Names and string data
// cross the boundary as UTF-8; the registry itself holds UTF-16.
#include "platform/registry_api.h"

namespace tarvo {

class Win32Registry : public RegistryApi {
 public:
  long OpenKey(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result) override;
  long CreateKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  long CloseKey(RegKey key) override;
  long EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name) override;
  long EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* dataSize) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long EnumValueRaw(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                    std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
  long SetValueRaw(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override;
  long DeleteKey(RegKey key, const std::string& subkey) override;
  long DeleteValue(RegKey key, const std::string& name) override;

 private:
  long EnumValueAs(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                   std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize, bool convert);
};

}  // namespace tarvo
