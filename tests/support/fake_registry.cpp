#include "support/fake_registry.h"

#include <algorithm>
#include <cstring>

namespace tarvo {
namespace {

// Access bits the Win32 registry checks on a handle.
constexpr std::uint32_t kQueryValue = 0x0001;
constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kAllAccess = 0xF003F;

// Windows limits a key name to 255 characters.
constexpr std::size_t kMaxKeyName = 255;

std::u16string ToUtf16(const std::string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

// Upper-casing as the registry's name comparison does it, for the scripts names use.
char16_t Upcase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper ? (c % 2 == 0) : (c % 2 == 1)) return static_cast<char16_t>(c - 1);
    return c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

std::u16string Fold(const std::string& name) {
  std::u16string out = ToUtf16(name);
  for (auto& c : out) c = Upcase(c);
  return out;
}

bool SameName(const std::string& a, const std::string& b) { return Fold(a) == Fold(b); }

// Splits "a\b\c"; a single trailing "\" is tolerated, empty components are not.
bool SplitPath(const std::string& path, std::vector<std::string>* parts) {
  std::string rest = path;
  if (!rest.empty() && rest.back() == '\\') rest.pop_back();
  if (rest.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const auto pos = rest.find('\\', start);
    const std::string part = rest.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
    if (part.empty()) return false;
    parts->push_back(part);
    if (pos == std::string::npos) return true;
    start = pos + 1;
  }
}

}  // namespace

FakeRegistry::FakeRegistry() {
  for (RegKey root : {regroot::ClassesRoot, regroot::CurrentUser, regroot::LocalMachine, regroot::Users,
                      regroot::CurrentConfig}) {
    auto node = std::make_shared<Node>();
    node->root = true;
    roots_[root] = node;
  }
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Resolve(RegKey key, std::uint32_t needed, long* error) const {
  std::shared_ptr<Node> node;
  std::uint32_t access = kAllAccess;
  if (auto r = roots_.find(key); r != roots_.end()) {
    node = r->second;
  } else if (auto h = handles_.find(key); h != handles_.end()) {
    node = h->second.node;
    access = h->second.access;
  } else {
    *error = kErrorInvalidHandle;
    return nullptr;
  }
  if (node->deleted) {
    *error = kErrorKeyDeleted;
    return nullptr;
  }
  if ((access & needed) != needed) {
    *error = kErrorAccessDenied;
    return nullptr;
  }
  return node;
}

long FakeRegistry::Walk(std::shared_ptr<Node> node, const std::string& subkey, bool create,
                        std::shared_ptr<Node>* out) {
  std::vector<std::string> parts;
  if (!SplitPath(subkey, &parts)) return kErrorBadPathname;
  for (const auto& part : parts) {
    if (part.size() > kMaxKeyName * 3 || ToUtf16(part).size() > kMaxKeyName) return kErrorInvalidParameter;
    const std::u16string folded = Fold(part);
    auto& kids = node->children;
    auto it = std::lower_bound(kids.begin(), kids.end(), folded,
                               [](const std::shared_ptr<Node>& n, const std::u16string& f) { return n->folded < f; });
    if (it != kids.end() && (*it)->folded == folded) {
      node = *it;
      continue;
    }
    if (!create) return kErrorFileNotFound;
    auto child = std::make_shared<Node>();
    child->name = part;
    child->folded = folded;
    child->parent = node;
    node = *kids.insert(it, child);
  }
  *out = node;
  return kErrorSuccess;
}

RegKey FakeRegistry::NewHandle(std::shared_ptr<Node> node, std::uint32_t access) {
  const RegKey key = nextHandle_;
  nextHandle_ += 4;
  handles_[key] = Handle{std::move(node), access};
  return key;
}

FakeRegistry::Value* FakeRegistry::FindValue(Node& node, const std::string& name) {
  for (auto& v : node.values)
    if (SameName(v.name, name)) return &v;
  return nullptr;
}

long FakeRegistry::OpenKey(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result) {
  long error = kErrorSuccess;
  auto node = Resolve(parent, 0, &error);
  if (!node) return error;
  std::shared_ptr<Node> target;
  if (long rc = Walk(node, subkey, false, &target); rc != kErrorSuccess) return rc;
  *result = NewHandle(target, access);
  return kErrorSuccess;
}

long FakeRegistry::CreateKey(RegKey parent, const std::string& subkey, RegKey* result) {
  long error = kErrorSuccess;
  auto node = Resolve(parent, 0, &error);
  if (!node) return error;
  std::shared_ptr<Node> target;
  if (long rc = Walk(node, subkey, true, &target); rc != kErrorSuccess) return rc;
  *result = NewHandle(target, kAllAccess);
  return kErrorSuccess;
}

long FakeRegistry::CloseKey(RegKey key) {
  if (roots_.count(key)) return kErrorSuccess;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

long FakeRegistry::EnumKey(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name) {
  long error = kErrorSuccess;
  auto node = Resolve(key, kEnumerateSubKeys, &error);
  if (!node) return error;
  if (index >= node->children.size()) return kErrorNoMoreItems;
  const auto& child = node->children[index];
  if (ToUtf16(child->name).size() + 1 > nameCapacity) return kErrorMoreData;
  *name = child->name;
  return kErrorSuccess;
}

long FakeRegistry::EnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::string* name,
                             std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) {
  long error = kErrorSuccess;
  auto node = Resolve(key, kQueryValue, &error);
  if (!node) return error;
  if (index >= node->values.size()) return kErrorNoMoreItems;
  const Value& v = node->values[index];
  if (ToUtf16(v.name).size() + 1 > nameCapacity) return kErrorMoreData;
  *name = v.name;
  if (type) *type = v.type;
  const auto size = static_cast<std::uint32_t>(v.data.size());
  if (data && dataSize && *dataSize < size) {
    *dataSize = size;
    return kErrorMoreData;
  }
  if (data && !v.data.empty()) std::memcpy(data, v.data.data(), v.data.size());
  if (dataSize) *dataSize = size;
  return kErrorSuccess;
}

long FakeRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) {
  long error = kErrorSuccess;
  auto node = Resolve(key, kQueryValue, &error);
  if (!node) return error;
  const Value* v = FindValue(*node, name);
  if (!v) return kErrorFileNotFound;
  if (type) *type = v->type;
  const auto size = static_cast<std::uint32_t>(v->data.size());
  if (data && dataSize && *dataSize < size) {
    *dataSize = size;
    return kErrorMoreData;
  }
  if (data && !v->data.empty()) std::memcpy(data, v->data.data(), v->data.size());
  if (dataSize) *dataSize = size;
  return kErrorSuccess;
}

long FakeRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                            std::uint32_t size) {
  long error = kErrorSuccess;
  auto node = Resolve(key, kSetValue, &error);
  if (!node) return error;
  if (size > 0 && !data) return kErrorInvalidParameter;
  std::vector<std::uint8_t> bytes(data, data + size);
  if (Value* v = FindValue(*node, name)) {
    v->type = type;
    v->data = std::move(bytes);
  } else {
    node->values.push_back(Value{name, type, std::move(bytes)});
  }
  return kErrorSuccess;
}

long FakeRegistry::DeleteKey(RegKey key, const std::string& subkey) {
  long error = kErrorSuccess;
  auto node = Resolve(key, 0, &error);
  if (!node) return error;
  std::shared_ptr<Node> target;
  if (long rc = Walk(node, subkey, false, &target); rc != kErrorSuccess) return rc;
  if (target->root || !target->children.empty()) return kErrorAccessDenied;
  auto parent = target->parent.lock();
  if (!parent) return kErrorAccessDenied;
  auto& kids = parent->children;
  kids.erase(std::find(kids.begin(), kids.end(), target));
  target->deleted = true;
  return kErrorSuccess;
}

long FakeRegistry::DeleteValue(RegKey key, const std::string& name) {
  long error = kErrorSuccess;
  auto node = Resolve(key, kSetValue, &error);
  if (!node) return error;
  auto& values = node->values;
  auto it = std::find_if(values.begin(), values.end(), [&](const Value& v) { return SameName(v.name, name); });
  if (it == values.end()) return kErrorFileNotFound;
  values.erase(it);
  return kErrorSuccess;
}

}  // namespace tarvo
