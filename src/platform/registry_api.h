#pragma once
// Raw registry access with Win32 semantics (result codes, buffer sizes), so that the
// registry layer's algorithms are written once and run against any backend.
#include <cstdint>
#include <string>

namespace tarvo {

using RegKey = std::uintptr_t;  // an HKEY value

namespace regroot {
constexpr RegKey ClassesRoot = 0x80000000u;
constexpr RegKey CurrentUser = 0x80000001u;
constexpr RegKey LocalMachine = 0x80000002u;
constexpr RegKey Users = 0x80000003u;
constexpr RegKey PerformanceData = 0x80000004u;
constexpr RegKey CurrentConfig = 0x80000005u;
constexpr RegKey DynData = 0x80000006u;
}  // namespace regroot

// Win32 result codes used by the registry layer.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;
constexpr long kErrorBadPathname = 161;
constexpr long kErrorKeyDeleted = 1018;  // the handle's key was deleted meanwhile

constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyWrite = 0x20006;

// Value types.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

// Names are UTF-8. String data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) is UTF-8 with its
// terminating NUL and sizes count UTF-8 bytes; the Win32 backend converts to and from
// UTF-16 at the boundary. Other data is raw bytes.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // RegOpenKeyEx. An empty subkey opens the key itself again.
  virtual long OpenKey(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result) = 0;
  // RegCreateKey: opens or creates the key and every missing key on the way.
  virtual long CreateKey(RegKey parent, const std::string& subkey, RegKey* result) = 0;
  virtual long CloseKey(RegKey key) = 0;
  // RegEnumKeyEx. nameCapacity counts characters including the NUL; a longer name gives
  // kErrorMoreData. Subkeys enumerate in case-insensitive sorted order.
  virtual long EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name) = 0;
  // RegEnumValue. Values enumerate in creation order. data may be null to ask only the
  // size; on a short buffer the answer is kErrorMoreData and *dataSize holds the size
  // needed. *dataSize is the capacity on entry and the size written on return.
  virtual long EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                         std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) = 0;
  // RegQueryValueEx, with the same buffer contract as EnumValue.
  virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* dataSize) = 0;
  // RegSetValueEx.
  virtual long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t size) = 0;
  // As EnumValue and SetValue, but string data exactly as the registry stores it (UTF-16
  // bytes on Windows, whatever their length), so that a copy of a branch puts back every
  // byte. Backends that keep strings as UTF-8 need nothing else.
  virtual long EnumValueRaw(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                            std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
    return EnumValue(key, index, nameCapacity, name, type, data, dataSize);
  }
  virtual long SetValueRaw(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                           std::uint32_t size) {
    return SetValue(key, name, type, data, size);
  }
  // RegDeleteKey: only a key without subkeys.
  virtual long DeleteKey(RegKey key, const std::string& subkey) = 0;
  virtual long DeleteValue(RegKey key, const std::string& name) = 0;
};

}  // namespace tarvo
