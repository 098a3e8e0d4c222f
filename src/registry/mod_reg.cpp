#include "registry/mod_reg.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>

#include "core/app_state.h"
#include "registry/binary_text.h"

namespace tarvo {
namespace {

constexpr std::uint32_t kNameBuffer = 260;
constexpr std::uint32_t kValueBuffer = 4096;
constexpr std::uint32_t kStringBuffer = 255;


std::string CutAtNul(const std::string& text) { return text.substr(0, text.find('\0')); }

// The format check accepts "hkey_..." so that a root name in the wrong case reads as an
// unknown root (no message, no effect); the root lookup itself is exact.
bool StartsWithHkey(const std::string& path) {
  if (path.size() < 5) return false;
  for (int i = 0; i < 5; ++i)
    if (std::toupper(static_cast<unsigned char>(path[i])) != "HKEY_"[i]) return false;
  return true;
}

}  // namespace

RegKey ModReg::GetRootKey(const std::string& rootName) {
  static const struct {
    const char* name;
    RegKey key;
  } kRoots[] = {{"HKEY_CLASSES_ROOT", regroot::ClassesRoot},     {"HKEY_CURRENT_USER", regroot::CurrentUser},
                {"HKEY_LOCAL_MACHINE", regroot::LocalMachine},   {"HKEY_USERS", regroot::Users},
                {"HKEY_PERFORMANCE_DATA", regroot::PerformanceData}, {"HKEY_CURRENT_CONFIG", regroot::CurrentConfig},
                {"HKEY_DYN_DATA", regroot::DynData}};
  for (const auto& root : kRoots)
    if (rootName == root.name) return root.key;
  return 0;
}

RegKey ModReg::ParseKeyPath(std::string& path) {
  if (!StartsWithHkey(path) || path.back() == '\\') {
    ui_.MessageBox("Incorrect Format:\n\n" + path, kAppTitle, MsgButtons::Ok, MsgIcon::None);
    root_ = 0;
    return 0;
  }
  const auto slash = path.find('\\');
  if (slash == std::string::npos) {
    root_ = GetRootKey(path);
    path.clear();
  } else {
    root_ = GetRootKey(path.substr(0, slash));
    path = path.substr(slash + 1);
  }
  return root_;
}

bool ModReg::Open(const std::string& keyPath, std::uint32_t access) {
  openKey_ = 0;
  std::string subkey = keyPath;
  if (ParseKeyPath(subkey) == 0) return false;
  lastResult_ = api_.OpenKey(root_, subkey, access, &openKey_);
  if (lastResult_ != kErrorSuccess) {
    openKey_ = 0;
    return false;
  }
  return true;
}

void ModReg::CloseOpenKey() {
  if (openKey_ != 0) api_.CloseKey(openKey_);
  openKey_ = 0;
}

bool ModReg::KeyExists(const std::string& keyPath) {
  if (!Open(keyPath, kKeyRead)) return false;
  CloseOpenKey();
  return true;
}

std::string ModReg::GetStringValue(const std::string& keyPath, const std::string& valueName) {
  if (!Open(keyPath, kKeyRead)) return kRegError;
  // The fixed buffer: longer data fails with ERROR_MORE_DATA.
  std::string buffer(kStringBuffer, ' ');
  std::uint32_t count = kStringBuffer;
  std::uint32_t type = 0;
  lastResult_ = api_.QueryValue(openKey_, valueName, &type, reinterpret_cast<std::uint8_t*>(buffer.data()), &count);
  CloseOpenKey();
  if (lastResult_ != kErrorSuccess) return kRegError;
  if (count == 0) return {};
  return CutAtNul(TrimSpaces(buffer).substr(0, count - 1));
}

void ModReg::SetStringValue(const std::string& keyPath, const std::string& valueName, const std::string& text) {
  if (!Open(keyPath, kKeyWrite)) return;
  const std::string data = text + '\0';
  lastResult_ = api_.SetValue(openKey_, valueName, kRegSz, reinterpret_cast<const std::uint8_t*>(data.data()),
                              static_cast<std::uint32_t>(data.size()));
  CloseOpenKey();
}

std::vector<std::string> ModReg::EnumSubKeys(const std::string& keyPath) {
  std::vector<std::string> names;
  if (!Open(keyPath, kKeyRead)) return names;
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    lastResult_ = api_.EnumKey(openKey_, index, kNameBuffer, &name);
    // Any other failure ends the walk too, so a broken key cannot loop forever.
    if (lastResult_ != kErrorSuccess) break;
    names.push_back(CutAtNul(name));
  }
  CloseOpenKey();
  return names;
}

void ModReg::DeleteValue(const std::string& keyPath, const std::string& valueName) {
  if (!Open(keyPath, kKeyWrite)) return;
  lastResult_ = api_.DeleteValue(openKey_, valueName);
  CloseOpenKey();
}

void ModReg::DeleteKey(const std::string& keyPath) {
  std::string subkey = keyPath;
  if (ParseKeyPath(subkey) == 0 || subkey.empty()) return;  // a root cannot be deleted
  const auto slash = subkey.rfind('\\');
  const std::string parent = slash == std::string::npos ? std::string() : subkey.substr(0, slash);
  const std::string last = slash == std::string::npos ? subkey : subkey.substr(slash + 1);
  lastResult_ = api_.OpenKey(root_, parent, kKeyWrite, &openKey_);
  if (lastResult_ != kErrorSuccess) {
    openKey_ = 0;
    return;
  }
  lastResult_ = api_.DeleteKey(openKey_, last);
  CloseOpenKey();
}

void ModReg::DeleteKeyTree(const std::string& keyPath) {
  // A bare root name would empty the whole hive; no caller means that.
  if (StartsWithHkey(keyPath) && keyPath.find('\\') == std::string::npos) return;
  for (const auto& name : EnumSubKeys(keyPath)) DeleteKeyTree(keyPath + "\\" + name);
  DeleteKey(keyPath);
}

std::vector<RegValue> ModReg::ReadValues(const std::string* stopAt) {
  std::vector<RegValue> values;
  for (std::uint32_t index = 0;; ++index) {
    RegValue value;
    std::vector<std::uint8_t> buffer(kValueBuffer);
    std::uint32_t size = kValueBuffer;
    lastResult_ = api_.EnumValue(openKey_, index, kNameBuffer, &value.name, &value.type, buffer.data(), &size);
    if (lastResult_ == kErrorMoreData) {
      buffer.resize(size);
      size = static_cast<std::uint32_t>(buffer.size());
      lastResult_ = api_.EnumValue(openKey_, index, kNameBuffer, &value.name, &value.type,
                                   buffer.empty() ? nullptr : buffer.data(), &size);
    }
    if (lastResult_ != kErrorSuccess) break;
    buffer.resize(std::min<std::size_t>(size, buffer.size()));
    value.data = std::move(buffer);
    values.push_back(std::move(value));
    const RegValue& last = values.back();
    if (stopAt && last.type == kRegBinary && last.name == *stopAt) break;
  }
  return values;
}

std::optional<std::vector<RegValue>> ModReg::EnumValues(const std::string& keyPath) {
  if (!Open(keyPath, kKeyRead)) return std::nullopt;
  auto values = ReadValues(nullptr);
  CloseOpenKey();
  return values;
}

RegKey ModReg::CreateKey(const std::string& keyPath) {
  std::string subkey = keyPath;
  if (ParseKeyPath(subkey) == 0) return 0;
  openKey_ = 0;
  lastResult_ = api_.CreateKey(root_, subkey, &openKey_);
  if (lastResult_ != kErrorSuccess) openKey_ = 0;
  return openKey_;
}

std::optional<std::vector<std::uint8_t>> ModReg::FindBinaryValue(const std::string& keyPath,
                                                                 const std::string& valueName) {
  if (!Open(keyPath, kKeyRead)) return std::nullopt;
  auto values = ReadValues(&valueName);
  CloseOpenKey();
  if (values.empty() || values.back().type != kRegBinary || values.back().name != valueName) return std::nullopt;
  return std::move(values.back().data);
}

std::string ModReg::GetBinaryValueHex(const std::string& keyPath, const std::string& valueName) {
  const auto data = FindBinaryValue(keyPath, valueName);
  if (!data || data->empty()) return kRegError;
  return HexTokens(*data);
}

std::string ModReg::GetWidePathFromBinary(const std::string& keyPath, const std::string& valueName) {
  const auto data = FindBinaryValue(keyPath, valueName);
  if (!data) return kRegError;
  return PathInText(WideBinaryText(*data)).value_or(kRegError);
}

std::string ModReg::GetNarrowPathFromBinary(const std::string& keyPath, const std::string& valueName) {
  const auto data = FindBinaryValue(keyPath, valueName);
  if (!data) return kRegError;
  return PathInText(NarrowBinaryText(*data)).value_or(kRegError);
}

void ModReg::ReplaceInBinaryValue(const std::string& keyPath, const std::string& valueName, const std::string& oldText,
                                  const std::string& newText) {
  const std::string hex = GetBinaryValueHex(keyPath, valueName);
  if (hex == kRegError) return;
  std::string replaced = ReplaceAllText(hex, EncodeWideHex(oldText), EncodeWideHex(newText));
  if (replaced == hex) replaced = ReplaceAllText(hex, EncodeNarrowHex(oldText), EncodeNarrowHex(newText));
  const auto bytes = ParseHexTokens(replaced);
  if (!bytes) return;  // a replacement that broke a token: keep the value as it was
  if (!Open(keyPath, kKeyWrite)) return;
  lastResult_ = api_.SetValue(openKey_, valueName, kRegBinary, bytes->empty() ? nullptr : bytes->data(),
                              static_cast<std::uint32_t>(bytes->size()));
  CloseOpenKey();
}

std::string ModReg::EncodeNarrowHex(const std::string& text) { return NarrowHex(text); }

std::string ModReg::EncodeWideHex(const std::string& text) { return WideHex(text); }

}  // namespace tarvo
