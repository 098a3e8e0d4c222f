// The Win32 backend under Wine: UTF-8 at the interface, UTF-16 in the registry, the
// predefined roots of 64-bit Windows, and the buffer contract counted in UTF-8 bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_registry.h"

namespace tarvo {
namespace {

const std::string kBase = "Software\\TarvoTest\\Win32Registry";

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

void DeleteTree(RegistryApi& reg, RegKey parent, const std::string& path) {
  RegKey key = 0;
  if (reg.OpenKey(parent, path, kKeyRead | kKeyWrite, &key) != kErrorSuccess) return;
  std::string child;
  while (reg.EnumKey(key, 0, 256, &child) == kErrorSuccess) DeleteTree(reg, key, child);
  reg.CloseKey(key);
  reg.DeleteKey(parent, path);
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTree(reg, regroot::CurrentUser, kBase);
    ASSERT_EQ(reg.CreateKey(regroot::CurrentUser, kBase, &key), kErrorSuccess);
  }
  void TearDown() override {
    reg.CloseKey(key);
    DeleteTree(reg, regroot::CurrentUser, kBase);
  }
  void Set(const std::string& name, std::uint32_t type, const std::string& data) {
    ASSERT_EQ(reg.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                           static_cast<std::uint32_t>(data.size())),
              kErrorSuccess);
  }
  std::vector<std::uint8_t> Query(const std::string& name, std::uint32_t* type = nullptr) {
    std::uint32_t size = 0;
    EXPECT_EQ(reg.QueryValue(key, name, type, nullptr, &size), kErrorSuccess);
    std::vector<std::uint8_t> data(size);
    EXPECT_EQ(reg.QueryValue(key, name, type, data.data(), &size), kErrorSuccess);
    data.resize(size);
    return data;
  }

  Win32Registry reg;
  RegKey key = 0;
};

TEST_F(Win32RegistryTest, PredefinedRootsWorkAsTheirConstants) {
  RegKey software = 0;
  ASSERT_EQ(reg.OpenKey(regroot::CurrentUser, "Software", kKeyRead, &software), kErrorSuccess);
  EXPECT_NE(software, regroot::CurrentUser);
  reg.CloseKey(software);
  RegKey again = 0;
  ASSERT_EQ(reg.OpenKey(regroot::CurrentUser, "", kKeyRead, &again), kErrorSuccess);
  std::string first;
  EXPECT_EQ(reg.EnumKey(again, 0, 256, &first), kErrorSuccess);
  EXPECT_FALSE(first.empty());
  reg.CloseKey(again);
  RegKey none = 0;
  EXPECT_EQ(reg.OpenKey(regroot::CurrentUser, kBase + "\\Missing", kKeyRead, &none), kErrorFileNotFound);
}

TEST_F(Win32RegistryTest, TextSizesCountUtf8BytesWithTheNul) {
  const std::string text("Caf\xC3\xA9 \xE2\x98\x95", 9);  // "Café ☕": 6 characters, 9 bytes
  Set("Plain", kRegSz, text + '\0');
  std::uint32_t type = 0, size = 0;
  ASSERT_EQ(reg.QueryValue(key, "Plain", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 10u);

  std::vector<std::uint8_t> shortBuffer(9);
  size = 9;
  EXPECT_EQ(reg.QueryValue(key, "Plain", &type, shortBuffer.data(), &size), kErrorMoreData);
  EXPECT_EQ(size, 10u);

  EXPECT_EQ(Query("Plain"), Bytes(text + '\0'));
}

TEST_F(Win32RegistryTest, MultiAndExpandStringsKeepEveryString) {
  const std::string multi("a\0\xC3\xBC\0\0", 6);
  Set("Multi", kRegMultiSz, multi);
  Set("Expand", kRegExpandSz, std::string("%TEMP%\\x", 8) + '\0');
  std::uint32_t type = 0;
  EXPECT_EQ(Query("Multi", &type), Bytes(multi));
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(Query("Expand", &type), Bytes(std::string("%TEMP%\\x") + '\0'));
  EXPECT_EQ(type, kRegExpandSz);
}

TEST_F(Win32RegistryTest, OtherTypesStayRawIncludingEmptyBinary) {
  Set("Bits", kRegDword, std::string(4, '\xFF'));
  Set("Blob", kRegBinary, std::string("\x00\x01\xFE", 3));
  Set("Empty", kRegBinary, "");
  std::uint32_t type = 0;
  EXPECT_EQ(Query("Bits", &type), Bytes(std::string(4, '\xFF')));
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(Query("Blob"), Bytes(std::string("\x00\x01\xFE", 3)));
  EXPECT_TRUE(Query("Empty", &type).empty());
  EXPECT_EQ(type, kRegBinary);
}

TEST_F(Win32RegistryTest, EnumerationNamesAreUtf8AndCapacityCountsCharacters) {
  const std::string unicodeName("\xC3\x9Cn\xC3\xAF" "code", 9);  // "Ünïcode": 7 characters
  RegKey child = 0;
  ASSERT_EQ(reg.CreateKey(key, unicodeName, &child), kErrorSuccess);
  reg.CloseKey(child);
  std::string name;
  EXPECT_EQ(reg.EnumKey(key, 0, 7, &name), kErrorMoreData);
  ASSERT_EQ(reg.EnumKey(key, 0, 8, &name), kErrorSuccess);
  EXPECT_EQ(name, unicodeName);
  EXPECT_EQ(reg.EnumKey(key, 1, 8, &name), kErrorNoMoreItems);

  const std::string valueName("Gr\xC3\xB6\xC3\x9F" "e", 7);  // "Größe"
  Set(valueName, kRegSz, std::string("\xC3\xBC", 2) + '\0');
  std::uint32_t type = 0, size = 2;
  std::vector<std::uint8_t> data(2);
  EXPECT_EQ(reg.EnumValue(key, 0, 260, &name, &type, data.data(), &size), kErrorMoreData);
  EXPECT_EQ(size, 3u);
  data.resize(size);
  ASSERT_EQ(reg.EnumValue(key, 0, 260, &name, &type, data.data(), &size), kErrorSuccess);
  EXPECT_EQ(name, valueName);
  EXPECT_EQ(data, Bytes(std::string("\xC3\xBC", 2) + '\0'));
  EXPECT_EQ(reg.EnumValue(key, 1, 260, &name, &type, data.data(), &size), kErrorNoMoreItems);
}

// Run by registry_interop_test.sh after it seeds the key with `reg import`.
TEST(SeededByRegImport, ReadsWhatRegImportWrote) {
  if (!std::getenv("TARVO_SEEDED")) GTEST_SKIP() << "run by registry_interop_test.sh";
  Win32Registry reg;
  RegKey key = 0;
  ASSERT_EQ(reg.OpenKey(regroot::CurrentUser, "Software\\TarvoTest\\Seeded", kKeyRead, &key), kErrorSuccess);
  auto query = [&](const std::string& name, std::uint32_t expectType) {
    std::uint32_t type = 0, size = 64;
    std::vector<std::uint8_t> data(size);
    EXPECT_EQ(reg.QueryValue(key, name, &type, data.data(), &size), kErrorSuccess) << name;
    EXPECT_EQ(type, expectType) << name;
    data.resize(size);
    return std::string(data.begin(), data.end());
  };
  EXPECT_EQ(query("Plain", kRegSz), std::string("Caf\xC3\xA9 \xE2\x98\x95", 9) + '\0');
  EXPECT_EQ(query("Gr\xC3\xB6\xC3\x9F" "e", kRegSz), std::string("\xC3\xBC", 2) + '\0');
  EXPECT_EQ(query("", kRegSz), std::string("default") + '\0');
  EXPECT_EQ(query("Multi", kRegMultiSz), std::string("a\0\xC3\xBC\0\0", 6));
  EXPECT_EQ(query("Expand", kRegExpandSz), std::string("%TEMP%") + '\0');
  EXPECT_EQ(query("Bits", kRegDword), std::string(4, '\xFF'));
  EXPECT_EQ(query("Empty", kRegBinary), "");
  std::string sub;
  EXPECT_EQ(reg.EnumKey(key, 0, 260, &sub), kErrorSuccess);
  EXPECT_EQ(sub, std::string("\xC3\x9Cn\xC3\xAF" "code", 9));
  reg.CloseKey(key);
}

}  // namespace
}  // namespace tarvo
