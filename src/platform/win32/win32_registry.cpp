#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

// The predefined roots are sign-extended on 64-bit Windows (HKEY_CURRENT_USER is
// 0xFFFFFFFF80000001 there); RegKey keeps them as the 32-bit constants.
HKEY ToHkey(RegKey key) {
  if (key >= regroot::ClassesRoot && key <= regroot::DynData)
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(key)));
  return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
  const auto value = reinterpret_cast<std::uintptr_t>(key);
  const auto low = static_cast<std::uint32_t>(value);
  if (ToHkey(low) == key && low >= regroot::ClassesRoot && low <= regroot::DynData) return low;
  return value;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Converts UTF-16 bytes as stored (NULs, and every string of a REG_MULTI_SZ, included)
// to UTF-8 bytes; an odd trailing byte cannot be a character and is dropped.
std::vector<std::uint8_t> WideBytesToUtf8(const std::vector<std::uint8_t>& raw) {
  std::wstring wide(raw.size() / 2, L'\0');
  if (!wide.empty()) std::memcpy(wide.data(), raw.data(), wide.size() * sizeof(wchar_t));
  const std::string utf8 = FromWide(wide);
  return {utf8.begin(), utf8.end()};
}

std::vector<std::uint8_t> Utf8ToWideBytes(const std::uint8_t* data, std::uint32_t size) {
  const std::wstring wide = ToWide(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<std::uint8_t> raw(wide.size() * sizeof(wchar_t));
  if (!raw.empty()) std::memcpy(raw.data(), wide.data(), raw.size());
  return raw;
}

// Hands converted data to the caller with the RegQueryValueEx buffer contract: a null
// buffer asks the size, a short one gets ERROR_MORE_DATA and the size needed.
long Deliver(const std::vector<std::uint8_t>& bytes, std::uint8_t* data, std::uint32_t* dataSize) {
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (!dataSize) return data ? kErrorInvalidParameter : kErrorSuccess;
  if (!data) {
    *dataSize = needed;
    return kErrorSuccess;
  }
  if (*dataSize < needed) {
    *dataSize = needed;
    return kErrorMoreData;
  }
  if (needed) std::memcpy(data, bytes.data(), needed);
  *dataSize = needed;
  return kErrorSuccess;
}

// Reads a value's raw bytes through `read` (RegQueryValueEx-like on one value), growing
// the buffer if the value grows between the size query and the read.
template <typename Read>
long ReadRaw(Read read, DWORD* type, std::vector<std::uint8_t>* raw) {
  DWORD size = 0;
  long rc = read(type, nullptr, &size);
  for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 8; ++attempt) {
    raw->assign(size, 0);
    DWORD got = size;
    rc = read(type, raw->empty() ? nullptr : raw->data(), &got);
    if (rc != ERROR_MORE_DATA) {
      if (rc == ERROR_SUCCESS) raw->resize(got);
      return rc;
    }
    size = got > size ? got : size * 2 + 2;
    rc = ERROR_SUCCESS;
  }
  return rc == ERROR_SUCCESS ? ERROR_MORE_DATA : rc;
}

long DeliverValue(DWORD type, const std::vector<std::uint8_t>& raw, std::uint32_t* typeOut, std::uint8_t* data,
                  std::uint32_t* dataSize) {
  if (typeOut) *typeOut = type;
  return Deliver(IsText(type) ? WideBytesToUtf8(raw) : raw, data, dataSize);
}

}  // namespace

long Win32Registry::OpenKey(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result) {
  HKEY opened = nullptr;
  const long rc = RegOpenKeyExW(ToHkey(parent), ToWide(subkey).c_str(), 0, access, &opened);
  if (rc == ERROR_SUCCESS && result) *result = FromHkey(opened);
  return rc;
}

long Win32Registry::CreateKey(RegKey parent, const std::string& subkey, RegKey* result) {
  HKEY created = nullptr;
  // RegCreateKey asks for the most access the caller is allowed.
  const long rc = RegCreateKeyExW(ToHkey(parent), ToWide(subkey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  MAXIMUM_ALLOWED, nullptr, &created, nullptr);
  if (rc == ERROR_SUCCESS && result) *result = FromHkey(created);
  return rc;
}

long Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

long Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name) {
  std::vector<wchar_t> buffer(nameCapacity ? nameCapacity : 1, L'\0');
  DWORD length = nameCapacity;
  const long rc = RegEnumKeyExW(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS && name) *name = FromWide(std::wstring(buffer.data(), length));
  return rc;
}

long Win32Registry::EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                              std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
  return EnumValueAs(key, index, nameCapacity, name, type, data, dataSize, true);
}

long Win32Registry::EnumValueRaw(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
  return EnumValueAs(key, index, nameCapacity, name, type, data, dataSize, false);
}

long Win32Registry::EnumValueAs(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                                std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize, bool convert) {
  const HKEY hkey = ToHkey(key);
  std::vector<wchar_t> buffer(nameCapacity ? nameCapacity : 1, L'\0');
  DWORD length = 0;
  auto read = [&](DWORD* t, std::uint8_t* bytes, DWORD* size) -> long {
    length = nameCapacity;
    return RegEnumValueW(hkey, index, buffer.data(), &length, nullptr, t, bytes, size);
  };
  DWORD valueType = REG_NONE;
  std::vector<std::uint8_t> raw;
  const long rc = ReadRaw(read, &valueType, &raw);
  if (rc != ERROR_SUCCESS) return rc;
  if (name) *name = FromWide(std::wstring(buffer.data(), length));
  if (!convert) {
    if (type) *type = valueType;
    return Deliver(raw, data, dataSize);
  }
  return DeliverValue(valueType, raw, type, data, dataSize);
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* dataSize) {
  const HKEY hkey = ToHkey(key);
  const std::wstring wideName = ToWide(name);
  auto read = [&](DWORD* t, std::uint8_t* bytes, DWORD* size) -> long {
    return RegQueryValueExW(hkey, wideName.c_str(), nullptr, t, bytes, size);
  };
  DWORD valueType = REG_NONE;
  std::vector<std::uint8_t> raw;
  const long rc = ReadRaw(read, &valueType, &raw);
  if (rc != ERROR_SUCCESS) return rc;
  return DeliverValue(valueType, raw, type, data, dataSize);
}

long Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                             std::uint32_t size) {
  if (!data && size) return kErrorInvalidParameter;
  const std::wstring wideName = ToWide(name);
  if (IsText(type)) {
    const std::vector<std::uint8_t> raw = size ? Utf8ToWideBytes(data, size) : std::vector<std::uint8_t>();
    return RegSetValueExW(ToHkey(key), wideName.c_str(), 0, type, raw.empty() ? nullptr : raw.data(),
                          static_cast<DWORD>(raw.size()));
  }
  return RegSetValueExW(ToHkey(key), wideName.c_str(), 0, type, data, size);
}

long Win32Registry::SetValueRaw(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                                std::uint32_t size) {
  if (!data && size) return kErrorInvalidParameter;
  return RegSetValueExW(ToHkey(key), ToWide(name).c_str(), 0, type, data, size);
}

long Win32Registry::DeleteKey(RegKey key, const std::string& subkey) {
  return RegDeleteKeyW(ToHkey(key), ToWide(subkey).c_str());
}

long Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueW(ToHkey(key), ToWide(name).c_str());
}

}  // namespace tarvo
