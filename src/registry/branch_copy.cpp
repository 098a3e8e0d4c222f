#include "registry/branch_copy.h"

#include <charconv>
#include <sstream>

namespace tarvo {
namespace {

// Registry limits: value names up to 16,383 characters, key names up to 255.
constexpr std::uint32_t kValueNameCapacity = 16384 * 3 + 1;  // UTF-8 bytes
constexpr std::uint32_t kKeyNameCapacity = 256;
constexpr const char* kHeader = "tarvo branch copy 1";

// Every value of the open key with its bytes as stored; false when the list could not be
// read to its end.
bool ReadValues(RegistryApi& api, RegKey key, std::vector<RegValue>& values) {
  for (std::uint32_t index = 0;; ++index) {
    RegValue value;
    std::uint32_t size = 0;
    long rc = api.EnumValueRaw(key, index, kValueNameCapacity, &value.name, &value.type, nullptr, &size);
    if (rc == kErrorNoMoreItems) return true;
    for (int attempt = 0; rc == kErrorSuccess && attempt < 4; ++attempt) {
      value.data.resize(size);
      rc = api.EnumValueRaw(key, index, kValueNameCapacity, &value.name, &value.type,
                            value.data.empty() ? nullptr : value.data.data(), &size);
      if (rc == kErrorMoreData) rc = kErrorSuccess;  // it grew meanwhile: ask again
      else if (rc == kErrorSuccess) break;
    }
    if (rc != kErrorSuccess) return false;
    value.data.resize(size);
    values.push_back(std::move(value));
  }
}

bool CopyKey(ModReg& reg, const std::string& keyPath, const std::string& relative, BranchCopy& copy) {
  std::string subkey = keyPath;
  const RegKey root = reg.ParseKeyPath(subkey);
  RegKey key = 0;
  if (root == 0 || reg.api().OpenKey(root, subkey, kKeyRead, &key) != kErrorSuccess) return false;
  BranchCopy::Key entry{relative, {}};
  bool ok = ReadValues(reg.api(), key, entry.values);
  std::vector<std::string> names;
  for (std::uint32_t index = 0; ok; ++index) {
    std::string name;
    const long rc = reg.api().EnumKey(key, index, kKeyNameCapacity, &name);
    if (rc == kErrorNoMoreItems) break;
    if (rc != kErrorSuccess) ok = false;
    else names.push_back(std::move(name));
  }
  reg.api().CloseKey(key);
  copy.keys.push_back(std::move(entry));
  for (const auto& name : names) {
    if (!ok) break;
    ok = CopyKey(reg, keyPath + "\\" + name, relative + "\\" + name, copy);
  }
  return ok;
}

bool WriteKey(ModReg& reg, const std::string& keyPath, const BranchCopy::Key& entry) {
  const RegKey key = reg.CreateKey(keyPath + entry.path);
  if (key == 0) return false;
  bool ok = true;
  for (const auto& v : entry.values) {
    const auto size = static_cast<std::uint32_t>(v.data.size());
    if (reg.api().SetValueRaw(key, v.name, v.type, v.data.empty() ? nullptr : v.data.data(), size) != kErrorSuccess)
      ok = false;
  }
  reg.api().CloseKey(key);
  return ok;
}

std::string HexOfBytes(const std::vector<std::uint8_t>& data) {
  return HexOf(std::string(data.begin(), data.end()));
}

}  // namespace

bool BranchCopy::Key::operator==(const Key& other) const {
  if (path != other.path || values.size() != other.values.size()) return false;
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i].name != other.values[i].name || values[i].type != other.values[i].type ||
        values[i].data != other.values[i].data)
      return false;
  return true;
}

bool BranchCopy::operator==(const BranchCopy& other) const { return existed == other.existed && keys == other.keys; }

std::optional<BranchCopy> CopyBranch(ModReg& reg, const std::string& keyPath) {
  BranchCopy copy;
  copy.existed = reg.KeyExists(keyPath);
  if (!copy.existed) return copy;
  if (!CopyKey(reg, keyPath, "", copy)) return std::nullopt;
  return copy;
}

bool PutBranchBack(ModReg& reg, const std::string& keyPath, const BranchCopy& copy) {
  if (const auto now = CopyBranch(reg, keyPath); now && *now == copy) return true;
  reg.DeleteKeyTree(keyPath);
  if (reg.KeyExists(keyPath)) return false;
  bool ok = true;
  if (copy.existed)
    for (const auto& key : copy.keys) ok = WriteKey(reg, keyPath, key) && ok;
  const auto after = CopyBranch(reg, keyPath);
  return ok && after && *after == copy;
}

std::string HexOf(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2 + 1);
  out += '#';  // so that empty text is still a word
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::optional<std::string> BytesOfHex(const std::string& hex) {
  if (hex.empty() || hex[0] != '#' || hex.size() % 2 == 0) return std::nullopt;
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 1; i < hex.size(); i += 2) {
    unsigned value = 0;
    const auto parsed = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
    if (parsed.ec != std::errc() || parsed.ptr != hex.data() + i + 2) return std::nullopt;
    out += static_cast<char>(value);
  }
  return out;
}

std::string EncodeBranchCopy(const BranchCopy& copy) {
  std::string text = std::string(kHeader) + "\n" + (copy.existed ? "existed\n" : "absent\n");
  for (const auto& key : copy.keys) {
    text += "key " + HexOf(key.path) + "\n";
    for (const auto& v : key.values)
      text += "value " + HexOf(v.name) + " " + std::to_string(v.type) + " " + HexOfBytes(v.data) + "\n";
  }
  return text + "end\n";
}

std::optional<BranchCopy> DecodeBranchCopy(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  BranchCopy copy;
  if (!std::getline(in, line) || line != kHeader || !std::getline(in, line)) return std::nullopt;
  if (line != "existed" && line != "absent") return std::nullopt;
  copy.existed = line == "existed";
  while (std::getline(in, line)) {
    if (line == "end") return copy;
    std::istringstream words(line);
    std::string kind, first, second, third;
    words >> kind >> first;
    const auto name = BytesOfHex(first);
    if (!name) return std::nullopt;
    if (kind == "key" && copy.existed) {
      copy.keys.push_back({*name, {}});
      continue;
    }
    words >> second >> third;
    std::uint32_t type = 0;
    const auto parsed = std::from_chars(second.data(), second.data() + second.size(), type);
    const auto data = BytesOfHex(third);
    if (kind != "value" || copy.keys.empty() || parsed.ec != std::errc() || !data) return std::nullopt;
    copy.keys.back().values.push_back({*name, type, {data->begin(), data->end()}});
  }
  return std::nullopt;  // no end line: cut off
}

}  // namespace tarvo
