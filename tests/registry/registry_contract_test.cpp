// The Win32 registry contract the registry layer relies on. Natively this checks the
// double; under Wine the same cases check the real backend.
#include <gtest/gtest.h>

#include "registry/registry_sandbox.h"

namespace tarvo {
namespace {

class RegistryContract : public ::testing::Test {
 protected:
  RegKey Open(const std::string& below, std::uint32_t access = kKeyRead) {
    RegKey key = 0;
    EXPECT_EQ(box.api().OpenKey(regroot::CurrentUser, box.Sub(below), access, &key), kErrorSuccess) << below;
    return key;
  }
  std::vector<std::string> SubkeyNames(RegKey key) {
    std::vector<std::string> names;
    std::string name;
    while (box.api().EnumKey(key, static_cast<std::uint32_t>(names.size()), 256, &name) == kErrorSuccess)
      names.push_back(name);
    return names;
  }
  std::vector<std::string> ValueNames(RegKey key) {
    std::vector<std::string> names;
    std::string name;
    std::uint32_t size = 0;
    while (box.api().EnumValue(key, static_cast<std::uint32_t>(names.size()), 16384, &name, nullptr, nullptr,
                               &size) == kErrorSuccess)
      names.push_back(name);
    return names;
  }

  RegistrySandbox box;
};

TEST_F(RegistryContract, RootsOpenAndCreateKeyMakesEveryMissingLevel) {
  RegistryApi& api = box.api();
  RegKey root = 0;
  ASSERT_EQ(api.OpenKey(regroot::CurrentUser, "", kKeyRead, &root), kErrorSuccess);
  EXPECT_EQ(api.CloseKey(root), kErrorSuccess);

  RegKey deep = 0;
  ASSERT_EQ(api.CreateKey(regroot::CurrentUser, box.Sub("a\\b\\c"), &deep), kErrorSuccess);
  api.CloseKey(deep);
  EXPECT_TRUE(box.Exists("a"));
  EXPECT_TRUE(box.Exists("a\\b"));
  EXPECT_TRUE(box.Exists("A\\B\\C"));  // names compare without regard to case

  RegKey missing = 0;
  EXPECT_EQ(api.OpenKey(regroot::CurrentUser, box.Sub("a\\nothing"), kKeyRead, &missing), kErrorFileNotFound);
}

TEST_F(RegistryContract, SubkeysEnumerateInCaseInsensitiveOrderKeepingFirstCase) {
  for (const char* name : {"delta", "Bravo", "alpha", "CHARLIE", "bravo2"}) box.MakeKey(name);
  box.MakeKey("ALPHA");  // the same key: keeps "alpha"

  RegKey key = Open("");
  EXPECT_EQ(SubkeyNames(key), (std::vector<std::string>{"alpha", "Bravo", "bravo2", "CHARLIE", "delta"}));

  std::string name;
  EXPECT_EQ(box.api().EnumKey(key, 5, 256, &name), kErrorNoMoreItems);
  // A buffer that cannot take the name and its NUL.
  EXPECT_EQ(box.api().EnumKey(key, 0, 5, &name), kErrorMoreData);
  EXPECT_EQ(box.api().EnumKey(key, 0, 6, &name), kErrorSuccess);
  EXPECT_EQ(name, "alpha");
  box.api().CloseKey(key);
}

TEST_F(RegistryContract, ValuesKeepCreationOrderAndFirstCaseOfTheirNames) {
  box.Set("", "Zulu", kRegSz, Sz("z"));
  box.Set("", "alpha", kRegDword, Bytes({1, 0, 0, 0}));
  box.Set("", "", kRegSz, Sz("default"));
  box.Set("", "ZULU", kRegBinary, Bytes({7}));  // overwrites Zulu in place

  RegKey key = Open("");
  EXPECT_EQ(ValueNames(key), ListedValueOrder({"Zulu", "alpha", ""}));

  std::uint32_t type = 0;
  std::uint8_t data[8] = {};
  std::uint32_t size = sizeof data;
  ASSERT_EQ(box.api().QueryValue(key, "zulu", &type, data, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(data[0], 7);
  EXPECT_EQ(box.api().QueryValue(key, "nothing", &type, data, &size), kErrorFileNotFound);
  box.api().CloseKey(key);

  RegKey fresh = 0;
  ASSERT_EQ(box.api().CreateKey(regroot::CurrentUser, box.Sub("fresh"), &fresh), kErrorSuccess);
  EXPECT_TRUE(ValueNames(fresh).empty());  // a new key has no default value yet
  box.api().CloseKey(fresh);
}

TEST_F(RegistryContract, ShortBuffersGetMoreDataWithTheSizeNeeded) {
  box.Set("", "text", kRegSz, Sz("h\xC3\xA9llo"));  // "héllo": 6 UTF-8 bytes and the NUL
  box.Set("", "a_rather_long_value_name", kRegBinary, Bytes({1, 2, 3}));
  RegKey key = Open("");
  RegistryApi& api = box.api();

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(api.QueryValue(key, "text", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 7u);
  std::uint8_t small[3] = {};
  size = sizeof small;
  EXPECT_EQ(api.QueryValue(key, "text", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 7u);
  std::uint8_t room[16] = {};
  size = sizeof room;
  ASSERT_EQ(api.QueryValue(key, "text", &type, room, &size), kErrorSuccess);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(room), size), std::string("h\xC3\xA9llo", 6) + '\0');

  std::string name;
  const auto order = ListedValueOrder({"text", "a_rather_long_value_name"});
  const auto at = static_cast<std::uint32_t>(order[0] == "text" ? 1 : 0);
  size = 1;
  EXPECT_EQ(api.EnumValue(key, at, 260, &name, &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 3u);
  size = sizeof small;
  EXPECT_EQ(api.EnumValue(key, at, 10, &name, &type, small, &size), kErrorMoreData);  // name too long
  size = sizeof small;
  ASSERT_EQ(api.EnumValue(key, at, 260, &name, &type, small, &size), kErrorSuccess);
  EXPECT_EQ(name, "a_rather_long_value_name");
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 3u);
  size = sizeof small;
  EXPECT_EQ(api.EnumValue(key, 2, 260, &name, &type, small, &size), kErrorNoMoreItems);
  api.CloseKey(key);
}

TEST_F(RegistryContract, DeletesFollowTheWin32Rules) {
  box.MakeKey("parent\\child");
  box.Set("parent", "v", kRegSz, Sz("x"));
  RegistryApi& api = box.api();
  RegKey key = Open("", kKeyWrite);

  EXPECT_EQ(api.DeleteKey(key, "parent"), kErrorAccessDenied);  // it has a subkey
  EXPECT_EQ(api.DeleteKey(key, "nothing"), kErrorFileNotFound);
  EXPECT_EQ(api.DeleteKey(key, "parent\\child"), kErrorSuccess);
  EXPECT_EQ(api.DeleteKey(key, "parent"), kErrorSuccess);
  EXPECT_FALSE(box.Exists("parent"));
  EXPECT_EQ(api.DeleteValue(key, "nothing"), kErrorFileNotFound);
  api.CloseKey(key);
}

TEST_F(RegistryContract, HandlesCarryTheirAccessRights) {
  box.Set("", "v", kRegSz, Sz("x"));
  RegistryApi& api = box.api();
  const auto data = Sz("y");

  RegKey reader = Open("", kKeyRead);
  EXPECT_EQ(api.SetValue(reader, "v", kRegSz, data.data(), 2), kErrorAccessDenied);
  EXPECT_EQ(api.DeleteValue(reader, "v"), kErrorAccessDenied);
  api.CloseKey(reader);

  RegKey writer = Open("", kKeyWrite);
  std::uint32_t size = 0;
  EXPECT_EQ(api.QueryValue(writer, "v", nullptr, nullptr, &size), kErrorAccessDenied);
  EXPECT_EQ(api.SetValue(writer, "v", kRegSz, data.data(), 2), kErrorSuccess);
  EXPECT_EQ(api.DeleteValue(writer, "v"), kErrorSuccess);
  api.CloseKey(writer);
}

TEST_F(RegistryContract, AHandleToADeletedKeyNoLongerWrites) {
  box.MakeKey("gone");
  RegistryApi& api = box.api();
  RegKey stale = 0;
  ASSERT_EQ(api.CreateKey(regroot::CurrentUser, box.Sub("gone"), &stale), kErrorSuccess);
  ASSERT_EQ(api.DeleteKey(regroot::CurrentUser, box.Sub("gone")), kErrorSuccess);

  const auto data = Sz("x");
  EXPECT_NE(api.SetValue(stale, "v", kRegSz, data.data(), 2), kErrorSuccess);
  RegKey child = 0;
  EXPECT_NE(api.CreateKey(stale, "child", &child), kErrorSuccess);
  EXPECT_EQ(api.CloseKey(stale), kErrorSuccess);
  EXPECT_FALSE(box.Exists("gone"));
}

}  // namespace
}  // namespace tarvo
