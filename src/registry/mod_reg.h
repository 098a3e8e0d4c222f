#pragma once
// Registry access by key-path text ("HKEY_CURRENT_USER\Software\..."). Each operation
// opens what it needs, does one thing and closes again; failures read as "Error", an
// empty list, false or no effect.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "platform/ui.h"

namespace tarvo {

inline constexpr const char* kRegError = "Error";

// One value as the value enumeration reports it; string data is UTF-8 with its NUL.
struct RegValue {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

class ModReg {
 public:
  ModReg(RegistryApi& api, Ui& ui) : api_(api), ui_(ui) {}

  // Returns the root handle (0 for none) and replaces path by its subkey part. A path not
  // beginning with "HKEY_" or ending with "\" shows "Incorrect Format:" and gives 0.
  RegKey ParseKeyPath(std::string& path);
  static RegKey GetRootKey(const std::string& rootName);

  bool KeyExists(const std::string& keyPath);
  std::string GetStringValue(const std::string& keyPath, const std::string& valueName);
  void SetStringValue(const std::string& keyPath, const std::string& valueName, const std::string& text);
  std::vector<std::string> EnumSubKeys(const std::string& keyPath);
  void DeleteValue(const std::string& keyPath, const std::string& valueName);
  void DeleteKey(const std::string& keyPath);
  void DeleteKeyTree(const std::string& keyPath);

  std::string GetBinaryValueHex(const std::string& keyPath, const std::string& valueName);
  std::string GetWidePathFromBinary(const std::string& keyPath, const std::string& valueName);
  std::string GetNarrowPathFromBinary(const std::string& keyPath, const std::string& valueName);
  void ReplaceInBinaryValue(const std::string& keyPath, const std::string& valueName, const std::string& oldText,
                            const std::string& newText);

  // The key's values in enumeration order (the 4,096-byte enumeration with its one retry);
  // nullopt when the key cannot be opened for reading.
  std::optional<std::vector<RegValue>> EnumValues(const std::string& keyPath);
  // Opens the key, creating it and every missing key on the way; 0 on failure. The
  // caller closes it through api().
  RegKey CreateKey(const std::string& keyPath);

  static std::string EncodeNarrowHex(const std::string& text);
  static std::string EncodeWideHex(const std::string& text);

  long LastResult() const { return lastResult_; }
  RegistryApi& api() { return api_; }

 private:
  // The opening pattern: parse, open with the given access; false when either fails.
  bool Open(const std::string& keyPath, std::uint32_t access);
  void CloseOpenKey();
  // Enumerates the open key's values, ending after the first one `stopAt` names exactly
  // as REG_BINARY when stopAt is given.
  std::vector<RegValue> ReadValues(const std::string* stopAt);
  std::optional<std::vector<std::uint8_t>> FindBinaryValue(const std::string& keyPath, const std::string& valueName);

  RegistryApi& api_;
  Ui& ui_;
  // Module state, overwritten by every operation.
  RegKey root_ = 0;
  RegKey openKey_ = 0;
  long lastResult_ = 0;
};

}  // namespace tarvo
