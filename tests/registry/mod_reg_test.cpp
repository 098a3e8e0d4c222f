#include "registry/mod_reg.h"

#include <gtest/gtest.h>

#include "support/test_registry.h"

#include "registry/registry_sandbox.h"
#include "support/fake_registry.h"
#include "support/scripted_ui.h"

namespace tarvo {
namespace {

// UTF-16LE bytes of ASCII text.
std::vector<std::uint8_t> Wide(const std::string& text) {
  std::vector<std::uint8_t> out;
  for (char c : text) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

std::vector<std::uint8_t> Join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ModRegTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // Every operation closes what it opened.
    if (auto* fake = dynamic_cast<FakeRegistry*>(&box.api())) {
      EXPECT_EQ(fake->OpenHandleCount(), 0u);
    }
  }
  std::vector<std::uint8_t> Read(const std::string& below, const std::string& name) {
    RegKey key = 0;
    std::vector<std::uint8_t> data(65536);
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    EXPECT_EQ(box.api().OpenKey(regroot::CurrentUser, box.Sub(below), kKeyRead, &key), kErrorSuccess);
    EXPECT_EQ(box.api().QueryValue(key, name, nullptr, data.data(), &size), kErrorSuccess);
    box.api().CloseKey(key);
    data.resize(size);
    return data;
  }

  RegistrySandbox box;
  ScriptedUi ui;
  ModReg reg{box.api(), ui};
};

TEST_F(ModRegTest, ParseKeyPathSplitsRootAndRejectsMalformedPaths) {
  std::string path = "HKEY_CURRENT_USER";
  EXPECT_EQ(reg.ParseKeyPath(path), regroot::CurrentUser);
  EXPECT_EQ(path, "");
  path = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
  EXPECT_EQ(reg.ParseKeyPath(path), regroot::LocalMachine);
  EXPECT_EQ(path, "SOFTWARE\\Microsoft\\Shared Tools");
  EXPECT_TRUE(ui.messages.empty());

  path = "hkey_current_user\\Software";  // case matters: no root, and no message
  EXPECT_EQ(reg.ParseKeyPath(path), 0u);
  path = "HKEY_current_user\\Software";
  EXPECT_EQ(reg.ParseKeyPath(path), 0u);
  EXPECT_TRUE(ui.messages.empty());

  path = "HKEY_CURRENT_USER\\";
  EXPECT_EQ(reg.ParseKeyPath(path), 0u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Incorrect Format:\n\nHKEY_CURRENT_USER\\");
  EXPECT_EQ(ui.messages[0].caption, "Tarvo Outlook Backup");
  EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);

  EXPECT_FALSE(reg.KeyExists("Software\\Microsoft"));
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_TRUE(reg.KeyExists("HKEY_CURRENT_USER"));
  EXPECT_TRUE(reg.KeyExists(box.Path()));
  EXPECT_FALSE(reg.KeyExists(box.Path("missing")));
}

TEST_F(ModRegTest, StringValuesRoundTripWithinTheReadBuffer) {
  reg.SetStringValue(box.Path(), "name", "Caf\xC3\xA9 profile");
  EXPECT_EQ(reg.GetStringValue(box.Path(), "NAME"), "Caf\xC3\xA9 profile");
  reg.SetStringValue(box.Path(), "", "default text");
  EXPECT_EQ(reg.GetStringValue(box.Path(), ""), "default text");
  reg.SetStringValue(box.Path(), "empty", "");
  EXPECT_EQ(reg.GetStringValue(box.Path(), "empty"), "");
  reg.SetStringValue(box.Path(), "trailing", "ab  ");
  EXPECT_EQ(reg.GetStringValue(box.Path(), "trailing"), "ab  ");

  const std::string fits(254, 'x');  // 254 bytes and the NUL fill the 255-byte buffer
  reg.SetStringValue(box.Path(), "fits", fits);
  EXPECT_EQ(reg.GetStringValue(box.Path(), "fits"), fits);
  reg.SetStringValue(box.Path(), "long", fits + "y");
  EXPECT_EQ(reg.GetStringValue(box.Path(), "long"), "Error");
  EXPECT_EQ(reg.LastResult(), kErrorMoreData);

  EXPECT_EQ(reg.GetStringValue(box.Path(), "missing"), "Error");
  EXPECT_EQ(reg.GetStringValue(box.Path("missing"), "name"), "Error");
  EXPECT_EQ(reg.GetStringValue("HKEY_NOWHERE\\x", "name"), "Error");

  reg.SetStringValue(box.Path("new"), "name", "x");  // writes only into an existing key
  EXPECT_FALSE(box.Exists("new"));
}

TEST_F(ModRegTest, EnumeratesAndDeletesKeysAndValues) {
  for (const char* name : {"Outlook", "default", "Backup"}) box.MakeKey(name);
  box.MakeKey("Backup\\one\\two\\three");
  box.Set("Backup\\one\\two", "v", kRegSz, Sz("x"));
  EXPECT_EQ(reg.EnumSubKeys(box.Path()), (std::vector<std::string>{"Backup", "default", "Outlook"}));
  EXPECT_TRUE(reg.EnumSubKeys(box.Path("missing")).empty());

  reg.DeleteKey(box.Path("Backup"));  // has subkeys: stays
  EXPECT_TRUE(box.Exists("Backup"));
  reg.DeleteKey(box.Path("Outlook"));
  EXPECT_FALSE(box.Exists("Outlook"));

  reg.DeleteKeyTree(box.Path("Backup"));
  EXPECT_FALSE(box.Exists("Backup"));
  EXPECT_TRUE(box.Exists("default"));
  reg.DeleteKeyTree(box.Path("missing"));  // nothing to do, nothing shown
  EXPECT_TRUE(ui.messages.empty());

  box.Set("", "a", kRegSz, Sz("1"));
  box.Set("", "b", kRegSz, Sz("2"));
  reg.DeleteValue(box.Path(), "A");
  EXPECT_EQ(reg.GetStringValue(box.Path(), "a"), "Error");
  EXPECT_EQ(reg.GetStringValue(box.Path(), "b"), "2");
}

TEST_F(ModRegTest, BinaryValuesReadAsHexTokens) {
  box.Set("", "text", kRegSz, Sz("not binary"));
  box.Set("", "big", kRegBinary, std::vector<std::uint8_t>(5000, 0xAB));  // needs the one retry
  box.Set("", "bytes", kRegBinary, Bytes({0x00, 0x0A, 0xFF}));
  box.Set("", "empty", kRegBinary, {});

  EXPECT_EQ(reg.GetBinaryValueHex(box.Path(), "bytes"), "0=A=FF");
  const std::string big = reg.GetBinaryValueHex(box.Path(), "big");
  EXPECT_EQ(big.size(), 5000u * 3 - 1);
  EXPECT_EQ(big.substr(0, 6), "AB=AB=");
  EXPECT_EQ(reg.GetBinaryValueHex(box.Path(), "text"), "Error");
  EXPECT_EQ(reg.GetBinaryValueHex(box.Path(), "empty"), "Error");
  EXPECT_EQ(reg.GetBinaryValueHex(box.Path(), "missing"), "Error");
  EXPECT_EQ(reg.GetBinaryValueHex(box.Path("missing"), "bytes"), "Error");

  // All values, any size, in enumeration order.
  const auto values = reg.EnumValues(box.Path());
  ASSERT_TRUE(values.has_value());
  ASSERT_EQ(values->size(), 4u);
  const auto order = ListedValueOrder({"text", "big", "bytes", "empty"});
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ((*values)[i].name, order[i]);
    if (order[i] == "big") {
      EXPECT_EQ((*values)[i].data.size(), 5000u);
    }
  }
  EXPECT_FALSE(reg.EnumValues(box.Path("missing")).has_value());
}

TEST_F(ModRegTest, FindsFilePathsInsideBinaryValues) {
  const auto header = Bytes({0x00, 0x00, 0x00, 0x00, 0x38, 0xA1, 0xBB, 0x10, 0x05, 0xE5, 0x10, 0x1A});
  box.Set("", "wide", kRegBinary, Join(Join(header, Wide("C:\\Mail\\Outlook.pst")), Bytes({0, 0})));
  box.Set("", "share", kRegBinary, Join(Join(header, Wide("\\\\server\\mail\\a.pst")), Bytes({0, 0})));
  // "D:\Łódź.pst": Ł is U+0141, both bytes non-zero; ó and ź carry a zero or non-zero high byte.
  box.Set("", "nonascii", kRegBinary,
          Join(header, Bytes({'D', 0, ':', 0, '\\', 0, 0x41, 0x01, 0xF3, 0x00, 'd', 0, 0x7A, 0x01, '.', 0, 'p', 0,
                              's', 0, 't', 0, 0, 0})));
  box.Set("", "nopath", kRegBinary, Join(header, Wide("no path here")));
  box.Set("", "narrow", kRegBinary, Join(header, Bytes({'E', ':', '\\', 'd', 0xE9, 'j', 0xE0, '.', 'p', 's', 't', 0})));

  EXPECT_EQ(reg.GetWidePathFromBinary(box.Path(), "wide"), "C:\\Mail\\Outlook.pst");
  EXPECT_EQ(reg.GetWidePathFromBinary(box.Path(), "share"), "\\\\server\\mail\\a.pst");
  EXPECT_EQ(reg.GetWidePathFromBinary(box.Path(), "nonascii"), "D:\\\xC5\x81\xC3\xB3" "d\xC5\xBA.pst");
  EXPECT_EQ(reg.GetWidePathFromBinary(box.Path(), "nopath"), "Error");
  EXPECT_EQ(reg.GetWidePathFromBinary(box.Path(), "missing"), "Error");

  EXPECT_EQ(reg.GetNarrowPathFromBinary(box.Path(), "narrow"), "E:\\d\xC3\xA9j\xC3\xA0.pst");
  EXPECT_EQ(reg.GetNarrowPathFromBinary(box.Path(), "nopath"), "Error");
}

TEST_F(ModRegTest, ReplacesAPathInsideABinaryValue) {
  EXPECT_EQ(ModReg::EncodeWideHex("AB"), "41=0=42=0=");
  EXPECT_EQ(ModReg::EncodeNarrowHex("AB"), "41=42=");
  EXPECT_EQ(ModReg::EncodeNarrowHex("\xC3\xA9"), "E9=");  // é as its ANSI byte

  const auto header = Bytes({0x01, 0x02});
  box.Set("", "wide", kRegBinary, Join(Join(header, Wide("C:\\old.pst")), Bytes({0, 0})));
  box.Set("", "narrow", kRegBinary, Join(Join(header, Bytes({'C', ':', '\\', 'o', 'l', 'd', '.', 'p', 's', 't'})),
                                         Bytes({0})));
  box.Set("", "other", kRegBinary, Join(Join(header, Wide("C:\\keep.pst")), Bytes({0, 0})));
  box.Set("", "atend", kRegBinary, Join(header, Bytes({'C', ':', '\\', 'o', 'l', 'd', '.', 'p', 's', 't'})));

  reg.ReplaceInBinaryValue(box.Path(), "wide", "C:\\old.pst", "D:\\new\\x.pst");
  EXPECT_EQ(Read("", "wide"), Join(Join(header, Wide("D:\\new\\x.pst")), Bytes({0, 0})));
  reg.ReplaceInBinaryValue(box.Path(), "narrow", "C:\\old.pst", "E:\\n.pst");
  EXPECT_EQ(Read("", "narrow"), Join(Join(header, Bytes({'E', ':', '\\', 'n', '.', 'p', 's', 't'})), Bytes({0})));

  const auto other = Read("", "other");
  reg.ReplaceInBinaryValue(box.Path(), "other", "C:\\old.pst", "D:\\new.pst");
  EXPECT_EQ(Read("", "other"), other);
  // Nothing follows the path, so the token text holds no match.
  const auto atEnd = Read("", "atend");
  reg.ReplaceInBinaryValue(box.Path(), "atend", "C:\\old.pst", "D:\\new.pst");
  EXPECT_EQ(Read("", "atend"), atEnd);
}

}  // namespace
}  // namespace tarvo
