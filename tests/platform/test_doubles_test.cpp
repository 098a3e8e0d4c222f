#include <gtest/gtest.h>

#include "support/test_platform.h"

namespace tarvo {
namespace {

TEST(FakeSystemInfo, ExpandsKnownNamesWithoutRegardToCaseAndKeepsUnknownOnes) {
  FakeSystemInfo sys;
  EXPECT_EQ(sys.ExpandEnvironment("%UserProfile%\\Mail"), "C:\\Users\\tester\\Mail");
  EXPECT_EQ(sys.ExpandEnvironment("%NOSUCH%\\x%appdata%"), "%NOSUCH%\\xC:\\Users\\tester\\AppData\\Roaming");
  EXPECT_EQ(sys.ExpandEnvironment("100% sure"), "100% sure");
}

TEST(FakeSystemInfo, GeneralDateReadsLikeUsEnglish) {
  FakeSystemInfo sys;
  EXPECT_EQ(sys.GeneralDate({2024, 3, 7, 13, 5, 9}), "3/7/2024 1:05:09 PM");
  EXPECT_EQ(sys.GeneralDate({2024, 12, 31, 0, 0, 0}), "12/31/2024 12:00:00 AM");
  EXPECT_EQ(sys.GeneralDate({2024, 1, 1, 12, 30, 0}), "1/1/2024 12:30:00 PM");
}

TEST(ScriptedUi, AnswersInOrderThenFallsBackToOkAndCancel) {
  ScriptedUi ui;
  ui.answers = {kMsgYes, kMsgNo};
  ui.openAnswers = {std::string("C:\\a.tvo")};
  EXPECT_EQ(ui.MessageBox("one", "T", MsgButtons::YesNo, MsgIcon::Question), kMsgYes);
  EXPECT_EQ(ui.MessageBox("two", "T", MsgButtons::YesNo, MsgIcon::Question), kMsgNo);
  EXPECT_EQ(ui.MessageBox("three", "T", MsgButtons::Ok, MsgIcon::Critical), kMsgOk);
  EXPECT_EQ(ui.texts(), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(ui.OpenFileDialog({"Open", "", "", "", false}), "C:\\a.tvo");
  EXPECT_EQ(ui.OpenFileDialog({"Again", "", "", "", false}), std::nullopt);
  ASSERT_EQ(ui.openRequests.size(), 2u);
  EXPECT_EQ(ui.openRequests[1].title, "Again");
}

TEST(TestPlatform, HasTheProgramFolderOnItsDrive) {
  TestPlatform tp;
  EXPECT_TRUE(tp.platform.files.FolderExists(tp.system.programFolder));
  EXPECT_EQ(&tp.platform.ui, &tp.ui);
  RegKey key = 0;
  EXPECT_EQ(tp.platform.registry.CreateKey(regroot::CurrentUser, "Software\\TarvoTest\\Doubles", &key), kErrorSuccess);
  tp.platform.registry.CloseKey(key);
  tp.platform.registry.DeleteKey(regroot::CurrentUser, "Software\\TarvoTest\\Doubles");
}

}  // namespace
}  // namespace tarvo
