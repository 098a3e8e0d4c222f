#include "registry/reg_export.h"

#include <map>

#include <gtest/gtest.h>

#include "support/test_registry.h"

#include "platform/codepage.h"
#include "registry/registry_sandbox.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

constexpr const char* kFile = "C:\\OBC1.tmp";

class RegExportTest : public ::testing::Test {
 protected:
  // A branch with every supported type, a dropped REG_MULTI_SZ, a default value and
  // three levels of subkeys.
  void SeedSource() {
    box.Set("src", "", kRegSz, Sz("hello"));
    box.Set("src", "Name", kRegSz, Sz("Caf\xC3\xA9"));
    box.Set("src", "Path", kRegExpandSz, Sz("%USERPROFILE%\\Mail"));
    box.Set("src", "Blob", kRegBinary, Bytes({1, 0, 255}));
    box.Set("src", "Empty", kRegBinary, {});
    box.Set("src", "All", kRegDword, Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    box.Set("src", "Multi", kRegMultiSz, Bytes({'a', 0, 'b', 0, 0}));
    box.Set("src", "Count", kRegDword, Bytes({42, 0, 0, 0}));
    box.Set("src\\Level1", "v", kRegSz, Sz("one"));
    box.Set("src\\Level1\\Level2", "n", kRegDword, Bytes({7, 0, 0, 0}));
    box.MakeKey("src\\Level1\\Level2\\Level3");
    box.Set("src\\Another", "x", kRegBinary, Bytes({9}));
  }
  // A target branch with content an import must replace.
  void SeedTarget() {
    box.Set("dst", "old", kRegSz, Sz("old value"));
    box.Set("dst\\stale\\deeper", "n", kRegDword, Bytes({1, 0, 0, 0}));
  }
  bool Import(const std::string& fileBytes) {
    drive.Put(kFile, fileBytes);
    return ImportKey(reg, drive.fs(), box.Path("dst"), kFile);
  }

  RegistrySandbox box;
  ScriptedUi ui;
  ModReg reg{box.api(), ui};
  TempDrive drive;
};

TEST_F(RegExportTest, WritesTheBranchByteExactDepthFirst) {
  SeedSource();
  drive.Put(kFile, "left over from an earlier run\r\n");
  ASSERT_TRUE(ExportKey(reg, drive.fs(), box.Path("src"), "", kFile));
  // Value lines in the order the registry lists the values created by SeedSource.
  const std::map<std::string, std::string> lines = {
      {"", "\"\"= sz:hello\r\n"},
      {"Name", "\"Name\"= sz:" + Utf8ToAnsi("Caf\xC3\xA9") + "\r\n"},
      {"Path", "\"Path\"=esz:%USERPROFILE%\\Mail\r\n"},
      {"Blob", "\"Blob\"=bin:1,0,255\r\n"},
      {"Empty", "\"Empty\"=bin:\r\n"},
      {"All", "\"All\"= dw:-1\r\n"},
      {"Count", "\"Count\"= dw:42\r\n"}};
  std::string expected = "\\\r\n";
  for (const auto& name : ListedValueOrder({"", "Name", "Path", "Blob", "Empty", "All", "Count"}))
    expected += lines.at(name);
  expected += std::string("\\Another\r\n") +
              "\"x\"=bin:9\r\n" +
              "\\Level1\r\n" +
              "\"v\"= sz:one\r\n" +
              "\\Level1\\Level2\r\n" +
              "\"n\"= dw:7\r\n" +
              "\\Level1\\Level2\\Level3\r\n";
  EXPECT_EQ(drive.Get(kFile), expected);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RegExportTest, ImportReplacesTheTargetBranchWithEverySupportedValue) {
  SeedSource();
  SeedTarget();
  ASSERT_TRUE(ExportKey(reg, drive.fs(), box.Path("src"), "", kFile));
  ASSERT_TRUE(ImportKey(reg, drive.fs(), box.Path("dst"), kFile));

  // The format has no REG_MULTI_SZ: the copy is the source without it.
  RegKey src = 0;
  ASSERT_EQ(box.api().OpenKey(regroot::CurrentUser, box.Sub("src"), kKeyWrite, &src), kErrorSuccess);
  box.api().DeleteValue(src, "Multi");
  box.api().CloseKey(src);
  EXPECT_EQ(box.Dump("dst"), box.Dump("src"));
  EXPECT_FALSE(box.Exists("dst\\stale"));
}

TEST_F(RegExportTest, AnEmptyKeyExportsAsOneLineAndEmptiesTheTarget) {
  box.MakeKey("src");
  SeedTarget();
  ASSERT_TRUE(ExportKey(reg, drive.fs(), box.Path("src"), "", kFile));
  EXPECT_EQ(drive.Get(kFile), "\\\r\n");
  ASSERT_TRUE(ImportKey(reg, drive.fs(), box.Path("dst"), kFile));
  EXPECT_EQ(box.Dump("dst"), "[]\n");
}

TEST_F(RegExportTest, AMalformedFileLeavesTheBranchAsItWas) {
  SeedTarget();
  const std::string before = box.Dump("dst");
  const std::string damaged[] = {
      "\\\r\n\"a\"= sz:x\r\n\\sub\r\nno equals sign\r\n",
      "\\\r\n\"n\"= dw:12x\r\n",
      "\\\r\n\"n\"= dw:4294967295\r\n",
      "\\\r\n\"n\"= dw:\r\n",
      "\\\r\n\"b\"=bin:1,256\r\n",
      "\\\r\n\"b\"=bin:1,,2\r\n",
      "\\\r\n\\\r\n",  // a repeated key line reads as a value line without "="
      std::string("\\\r\n\\a\0b\r\n", 9),  // no key name or value name holds a NUL
      std::string("\\\r\n\"a\0b\"= sz:x\r\n", 16),
  };
  for (const std::string& file : damaged) {
    EXPECT_FALSE(Import(file)) << file;
    EXPECT_EQ(box.Dump("dst"), before) << file;
  }
  EXPECT_FALSE(ImportKey(reg, drive.fs(), box.Path("dst"), "C:\\missing.tmp"));
  EXPECT_EQ(box.Dump("dst"), before);

  drive.Put(kFile, "\\\r\n");
  EXPECT_FALSE(ImportKey(reg, drive.fs(), box.Path("dst") + "\\", kFile));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(box.Dump("dst"), before);
}

TEST_F(RegExportTest, AnEmptyLineEndsTheFileAndUnknownTypesAreSkipped) {
  SeedTarget();
  ASSERT_TRUE(Import("\\\r\n\"a\"= sz:x\r\n\"q\"=qwd:5\r\n\r\nanything at all\r\n"));
  EXPECT_EQ(box.Dump("dst"), "[]\na type 1: 120 0\n");

  // Lines with LF alone, as an edited file may have; a line break inside a string value
  // cannot round-trip, so the second half is a line without "=".
  ASSERT_TRUE(Import("\\\n\\k\n\"d\"= dw:-2\n"));
  EXPECT_EQ(box.Dump("dst"), "[]\n[\\k]\nd type 4: 254 255 255 255\n");
  EXPECT_FALSE(Import("\\\r\n\"s\"= sz:two\nlines\r\n"));
}

}  // namespace
}  // namespace tarvo
