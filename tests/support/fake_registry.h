#pragma once
// In-memory registry that answers like the Win32 registry functions: predefined roots,
// case-insensitive names that keep the case first written, subkeys in case-insensitive
// sorted order, values in creation order, Win32 buffer and result-code rules, access
// rights checked per handle, and handles that outlive their deleted key.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_api.h"

namespace tarvo {

class FakeRegistry : public RegistryApi {
 public:
  FakeRegistry();

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
  long DeleteKey(RegKey key, const std::string& subkey) override;
  long DeleteValue(RegKey key, const std::string& name) override;

  // Handles opened or created and not yet closed (predefined roots not counted).
  std::size_t OpenHandleCount() const { return handles_.size(); }

 private:
  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct Node {
    std::string name;
    std::u16string folded;  // upper-cased UTF-16, the sort and compare key
    std::weak_ptr<Node> parent;
    std::vector<std::shared_ptr<Node>> children;  // kept sorted by folded
    std::vector<Value> values;                     // creation order
    bool deleted = false;
    bool root = false;
  };
  struct Handle {
    std::shared_ptr<Node> node;
    std::uint32_t access = 0;
  };

  // Resolves a handle; on failure returns null and sets *error.
  std::shared_ptr<Node> Resolve(RegKey key, std::uint32_t needed, long* error) const;
  // Walks subkey below node; creates missing keys when create is set.
  long Walk(std::shared_ptr<Node> node, const std::string& subkey, bool create, std::shared_ptr<Node>* out);
  RegKey NewHandle(std::shared_ptr<Node> node, std::uint32_t access);
  static Value* FindValue(Node& node, const std::string& name);

  std::map<RegKey, std::shared_ptr<Node>> roots_;
  std::map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
};

}  // namespace tarvo
