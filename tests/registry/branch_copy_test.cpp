#include "registry/branch_copy.h"

#include <gtest/gtest.h>

#include "registry/registry_sandbox.h"
#include "support/scripted_ui.h"

namespace tarvo {
namespace {

class BranchCopyTest : public ::testing::Test {
 protected:
  RegistrySandbox box;
  ScriptedUi ui;
  ModReg reg{box.api(), ui};
};

// The copy goes through its text form (as through the journal) and back over a branch that
// was changed every way an import changes one; what comes back is the branch to the byte.
TEST_F(BranchCopyTest, EveryValueTypeAndNameComesBackExactlyThroughTheTextForm) {
  box.Set("b", "", kRegSz, Sz("default"));
  box.Set("b", "Multi", kRegMultiSz, Bytes({'a', 0, 'b', 0, 0}));
  box.Set("b", "Quad", kRegQword, Bytes({1, 2, 3, 4, 5, 6, 7, 0x80}));
  box.Set("b", "None", kRegNone, Bytes({0, 9}));
  box.Set("b", "Big", kRegDwordBigEndian, Bytes({0, 0, 1, 2}));
  box.Set("b", "a=b \"quoted\"", kRegSz, Sz("line one\r\nline two"));
  box.Set("b", "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0", kRegSz, Sz("\xE9\x83\xB5\xE4\xBE\xBF \xD0\xBF\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC\xD0\xBE"));
  box.Set("b", "EmptyBin", kRegBinary, {});
  box.Set("b\\\xE6\x97\xA5\xE6\x9C\xAC", "x", kRegExpandSz, Sz("%TEMP%\\x"));
  box.MakeKey("b\\Empty\\Deeper");
  const std::string before = box.Dump("b");

  const auto copy = CopyBranch(reg, box.Path("b"));
  ASSERT_TRUE(copy);
  const auto decoded = DecodeBranchCopy(EncodeBranchCopy(*copy));
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(*decoded == *copy);

  box.Set("b", "Multi", kRegSz, Sz("changed"));
  box.Set("b\\Added", "n", kRegDword, Bytes({1, 0, 0, 0}));
  reg.DeleteKeyTree(box.Path("b\\Empty"));
  ASSERT_NE(box.Dump("b"), before);

  ASSERT_TRUE(PutBranchBack(reg, box.Path("b"), *decoded));
  EXPECT_EQ(box.Dump("b"), before);
}

TEST_F(BranchCopyTest, ABranchThatDidNotExistIsRemovedAgainAndCutTextIsRefused) {
  const auto copy = CopyBranch(reg, box.Path("later"));
  ASSERT_TRUE(copy);
  EXPECT_FALSE(copy->existed);
  box.Set("later\\sub", "v", kRegSz, Sz("made by a restore"));
  ASSERT_TRUE(PutBranchBack(reg, box.Path("later"), *copy));
  EXPECT_FALSE(box.Exists("later"));

  box.Set("c", "v", kRegBinary, Bytes({1, 2, 3}));
  const std::string text = EncodeBranchCopy(*CopyBranch(reg, box.Path("c")));
  for (std::size_t cut : {std::size_t{0}, text.size() / 2, text.size() - 4})
    EXPECT_FALSE(DecodeBranchCopy(text.substr(0, cut))) << cut;
  EXPECT_FALSE(DecodeBranchCopy(text.substr(0, text.find("value")) + "value #4 1 #0\nend\n"));  // odd hex
}

}  // namespace
}  // namespace tarvo
