#include "outlook/outlook_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "jobs/app.h"
#include "forms/source_profile.h"
#include "jobs/start_up.h"
#include "outlook/registry_seed.h"
#include "support/test_platform.h"

namespace tarvo {
namespace {

constexpr const char* kCurVerRoot = "HKEY_CLASSES_ROOT\\Outlook.Application";
constexpr const char* kCurVerKey = "HKEY_CLASSES_ROOT\\Outlook.Application\\CurVer";

class OutlookEnvTest : public ::testing::Test {
 protected:
  OutlookEnvTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    branch = std::string("HKEY_CURRENT_USER\\Software\\TarvoTest\\h4-") + info->test_suite_name() + "-" + info->name();
    app.reg.DeleteKeyTree(branch);
    app.reg.DeleteKeyTree(kCurVerRoot);  // no Outlook registered unless a test says so
  }
  ~OutlookEnvTest() override {
    app.reg.DeleteKeyTree(branch);
    app.reg.DeleteKeyTree(kCurVerRoot);
  }

  std::string Probe(const std::optional<std::string>& wordVersion) {
    tp.office.version = wordVersion;
    return GetOutlookVersion(tp.office, app.reg, env());
  }
  void RegisterOutlook(const std::string& curVer) { SeedString(app.reg, kCurVerKey, "", curVer); }
  OutlookEnv& env() { return app.state.env; }

  TestPlatform tp;
  App app{tp.platform};
  std::string branch;
};

TEST_F(OutlookEnvTest, WordVersionsMapThroughTheTableIncludingOffice16) {
  const struct {
    const char* word;
    const char* name;
    const char* office;
  } cases[] = {{"8.0", "Outlook 97", "8.0"},         {"9.0", "Outlook 2000", "9.0"},
               {"10.0", "Outlook 2002(XP)", "10.0"}, {"11.0", "Outlook 2003", "11.0"},
               {"12.0", "Outlook 2007", "12.0"},     {"14.0", "Outlook 2010", "14.0"},
               {"15.0", "Outlook 2013", "15.0"},     {"16.0", "Outlook 2016 or later", "16.0"}};
  for (const auto& c : cases) {
    env().OfficeVersion.clear();
    EXPECT_EQ(Probe(c.word), c.name) << c.word;
    EXPECT_EQ(env().OfficeVersion, c.office) << c.word;
  }
}

TEST_F(OutlookEnvTest, FirstContainedKeyInTableOrderDecides) {
  // "8" is tested before "14", and "9" before "10".
  EXPECT_EQ(Probe("14.8"), "Outlook 97");
  EXPECT_EQ(env().OfficeVersion, "8.0");
  EXPECT_EQ(Probe("10.9"), "Outlook 2000");
  EXPECT_EQ(env().OfficeVersion, "9.0");
}

TEST_F(OutlookEnvTest, UnknownWordVersionKeepsOfficeVersion) {
  env().OfficeVersion = "11.0";
  EXPECT_EQ(Probe("13.0"), "");
  EXPECT_EQ(env().OfficeVersion, "11.0");
}

TEST_F(OutlookEnvTest, NoWordAndNoOutlookRegistered) {
  env().OfficeVersion = "14.0";
  EXPECT_EQ(Probe(std::nullopt), "No Outlook");
  EXPECT_EQ(env().OfficeVersion, "14.0");
  EXPECT_TRUE(tp.ui.messages.empty());
}

TEST_F(OutlookEnvTest, OutlookWithoutWordIsFoundThroughCurVer) {
  RegisterOutlook("Outlook.Application.16");
  EXPECT_EQ(Probe(std::nullopt), "Outlook 2016 or later");
  EXPECT_EQ(env().OfficeVersion, "16.0");

  // A word processor of an unknown generation falls back too.
  RegisterOutlook("Outlook.Application.15");
  EXPECT_EQ(Probe("17.0"), "Outlook 2013");
  EXPECT_EQ(env().OfficeVersion, "15.0");
}

TEST_F(OutlookEnvTest, CurVerNumberIsMatchedWhole) {
  // By containment "18" would read as the "8" of Outlook 97.
  RegisterOutlook("Outlook.Application.18");
  env().OfficeVersion.clear();
  EXPECT_EQ(Probe(std::nullopt), "No Outlook");
  EXPECT_EQ(env().OfficeVersion, "");
  RegisterOutlook("Outlook.Application");
  EXPECT_EQ(Probe("13.0"), "");
  EXPECT_EQ(env().OfficeVersion, "");
}

TEST_F(OutlookEnvTest, KnownWordVersionWinsOverCurVer) {
  RegisterOutlook("Outlook.Application.16");
  EXPECT_EQ(Probe("14.0"), "Outlook 2010");
  EXPECT_EQ(env().OfficeVersion, "14.0");
}

TEST_F(OutlookEnvTest, ProfilesKeyFollowsTheNumericOfficeVersion) {
  const std::string messaging =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
  for (const char* v : {"", "8.0", "9.0", "14.0"}) {
    env().OfficeVersion = v;
    ChooseProfilesKey(env());
    EXPECT_EQ(env().ProfilesKey, messaging) << v;
  }
  for (const char* v : {"15.0", "16.0"}) {
    env().OfficeVersion = v;
    ChooseProfilesKey(env());
    EXPECT_EQ(env().ProfilesKey, std::string("HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\") + v +
                                     "\\Outlook\\Profiles");
  }
}

TEST_F(OutlookEnvTest, BlankNames) {
  using namespace std::string_literals;
  for (const std::string& name : {""s, "   "s, "\0\0"s, " \0 "s}) EXPECT_TRUE(IsBlankName(name)) << name.size();
  for (const std::string& name : {" a "s, "\0x"s, "\t"s}) EXPECT_FALSE(IsBlankName(name)) << name;
}

TEST_F(OutlookEnvTest, ProfileNamesSkipBlanksAndKeepTheTrailingSlot) {
  env().ProfilesKey = branch + "\\Profiles";
  for (const char* name : {"Outlook", "   ", "Work"}) SeedKey(app.reg, env().ProfilesKey + "\\" + name);
  GetProfileNames(app.reg, env());
  EXPECT_EQ(env().ProfileList, (std::vector<std::string>{"Outlook", "Work", ""}));
  EXPECT_FALSE(env().NoProfile);
}

TEST_F(OutlookEnvTest, NoUsableProfileSetsNoProfile) {
  env().ProfilesKey = branch + "\\Missing";
  GetProfileNames(app.reg, env());
  EXPECT_TRUE(env().NoProfile);

  OutlookEnv empty;
  empty.ProfilesKey = branch + "\\Empty";
  SeedKey(app.reg, empty.ProfilesKey);
  GetProfileNames(app.reg, empty);
  EXPECT_TRUE(empty.NoProfile);
  EXPECT_EQ(empty.ProfileList, std::vector<std::string>{""});

  OutlookEnv blanks;
  blanks.ProfilesKey = branch + "\\Blanks";
  SeedKey(app.reg, blanks.ProfilesKey + "\\  ");
  GetProfileNames(app.reg, blanks);
  EXPECT_TRUE(blanks.NoProfile);
  EXPECT_EQ(blanks.ProfileList, std::vector<std::string>{""});
}

TEST_F(OutlookEnvTest, WindowsVersionAndLayout) {
  tp.system.major = 5;
  tp.system.minor = 1;
  EXPECT_EQ(GetWinVersion(tp.system, env()), "5.1");
  EXPECT_EQ(env().WinVersion, "5.1");
  tp.system.major = 10;
  tp.system.minor = 0;
  EXPECT_EQ(GetWinVersion(tp.system, env()), "10.0");

  for (const char* v : {"5.0", "5.1", "5.2", ""}) EXPECT_FALSE(UsesAppDataLayout(v)) << v;
  for (const char* v : {"6.0", "6.1", "6.2", "6.3", "10.0"}) EXPECT_TRUE(UsesAppDataLayout(v)) << v;
}

// --- start-up ---

TEST_F(OutlookEnvTest, ProfileListsShowTheFirstProfile) {
  env().ProfileList = {"Outlook", "Work", ""};
  ComboBox source, target;
  ASSERT_TRUE(FillProfileLists(app, source, target));
  for (const ComboBox* box : {&source, &target}) {
    EXPECT_EQ(box->items, (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(box->text, "Outlook");
    EXPECT_EQ(box->listIndex, 0);
  }
  EXPECT_EQ(env().UserProfilePath, "C:\\Users\\tester");
}

TEST_F(OutlookEnvTest, NoProfileLeavesTheListsEmpty) {
  env().NoProfile = true;
  ComboBox source, target;
  EXPECT_FALSE(FillProfileLists(app, source, target));
  EXPECT_TRUE(source.items.empty());
  EXPECT_TRUE(target.items.empty());
  EXPECT_EQ(env().UserProfilePath, "");
  EXPECT_STREQ(kNoOutlookMessage, "Your Windows System have not install MS Outlook or MS Outlook Error!");
}

TEST_F(OutlookEnvTest, DiscoveryOnOffice16FindsProfilesUnderTheOfficeBranch) {
  const std::string profiles = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles";
  const std::string mine = profiles + "\\TarvoTest-h4";
  SeedKey(app.reg, mine);
  tp.office.version = "16.0";
  tp.system.major = 10;
  tp.system.minor = 0;
  DiscoverOutlookEnvironment(app);
  app.reg.DeleteKey(mine);

  EXPECT_EQ(env().WinVersion, "10.0");
  EXPECT_EQ(env().OfficeVersion, "16.0");
  EXPECT_EQ(env().ProfilesKey, profiles);
  EXPECT_FALSE(env().NoProfile);
  ASSERT_FALSE(env().ProfileList.empty());
  EXPECT_EQ(env().ProfileList.back(), "");
  EXPECT_NE(std::find(env().ProfileList.begin(), env().ProfileList.end(), "TarvoTest-h4"), env().ProfileList.end());
}

}  // namespace
}  // namespace tarvo
