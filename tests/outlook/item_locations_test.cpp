#include "outlook/item_locations.h"
#include "forms/source_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forms/frm_main.h"
#include "core/settings.h"
#include "outlook/registry_seed.h"
#include "support/test_platform.h"

namespace tarvo {
namespace {

constexpr const char* kUser = "C:\\Users\\tester";
constexpr const char* kRoaming = "C:\\Users\\tester\\AppData\\Roaming\\Microsoft";
constexpr const char* kOldLayout = "C:\\Users\\tester\\Application Data\\Microsoft";
constexpr const char* kSharedTools = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
constexpr const char* kShared = "C:\\Program Files\\Common Files\\Microsoft Shared\\";
constexpr const char* kToday = "03-07-2024";  // FakeSystemInfo's clock

enum { kData, kAccounts, kSignatures, kStationery, kPab, kOptions, kTemplates, kPreferences, kContacts };

class SourceProfile : public ::testing::Test {
 protected:
  SourceProfile() {
    AppState& st = app.state;
    st.ExeFolder = st.DataFolder = tp.system.programFolder;
    st.SettingsFile = st.DataFolder + "\\settings.dat";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    branch = std::string("HKEY_CURRENT_USER\\Software\\TarvoTest\\h4-") + info->test_suite_name() + "-" + info->name();
    app.reg.DeleteKeyTree(branch);
    st.env.ProfilesKey = branch + "\\Profiles";
    st.env.UserProfilePath = kUser;
    UseSystem("6.1", "14.0");
    SeedKey(app.reg, profileKey());
    form.cbSource.text = "Outlook";
  }
  ~SourceProfile() override { app.reg.DeleteKeyTree(branch); }

  void UseSystem(const std::string& win, const std::string& office) {
    app.state.env.WinVersion = win;
    app.state.env.OfficeVersion = office;
  }
  std::string profileKey() const { return app.state.env.ProfilesKey + "\\Outlook"; }
  void Setting(const std::string& key, const std::string& value) {
    WriteSetting(tp.drive.fs(), app.state.SettingsFile, "backup", key, value);
  }
  void Click() { form.cbSource_Click(); }
  bool Enabled(int item) const { return form.backupitem[item].enabled; }
  const Locations& loc() const { return app.state.loc; }

  TestPlatform tp;
  App app{tp.platform};
  FrmMain form{app};
  std::string branch;
};

TEST_F(SourceProfile, Windows51WithOutlook2003UsesApplicationData) {
  UseSystem("5.1", "11.0");
  const std::string old = kOldLayout;
  tp.drive.Put(old + "\\Signatures\\work.htm", "sig");
  tp.drive.Put(old + "\\Stationery\\paper.htm", "paper");
  tp.drive.Put(old + "\\Templates\\NormalEmail.dot", "dot");
  tp.drive.Put(old + "\\Outlook\\outcmd.dat", "prefs");
  Click();
  EXPECT_EQ(loc().SignaturesPath, old + "\\Signatures");
  EXPECT_EQ(loc().StationeryPath, old + "\\Stationery");
  EXPECT_EQ(loc().RulesPath, old + "\\Outlook");
  EXPECT_EQ(loc().PreferencesPath, old + "\\Outlook");
  EXPECT_EQ(loc().TemplatesPath, old + "\\Templates");
  EXPECT_EQ(loc().ContactsPath, std::string(kUser) + "\\Contacts");
  EXPECT_EQ(loc().AccountsKey, profileKey() + "\\9375CFF0413111d3B88A00104B2A6676");
  EXPECT_EQ(loc().OptionsKey, "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Outlook\\Options");
  for (int item : {kData, kSignatures, kStationery, kOptions, kTemplates, kPreferences}) EXPECT_TRUE(Enabled(item)) << item;
  for (int item : {kAccounts, kPab, kContacts}) EXPECT_FALSE(Enabled(item)) << item;
}

TEST_F(SourceProfile, NewerWindowsUseAppDataAndOffice12UsesSharedStationery) {
  ScopedString shared(app.reg, kSharedTools, "SharedFilesDir", std::string(" ") + kShared + " ");
  tp.drive.Put(std::string(kShared) + "Stationery\\paper.htm", "paper");
  tp.drive.Put(std::string(kRoaming) + "\\Signatures\\work.htm", "sig");
  for (const char* win : {"6.1", "6.3", "10.0"}) {
    UseSystem(win, "14.0");
    Click();
    EXPECT_EQ(loc().SignaturesPath, std::string(kRoaming) + "\\Signatures") << win;
    EXPECT_EQ(loc().RulesPath, std::string(kRoaming) + "\\Outlook") << win;
    EXPECT_EQ(loc().TemplatesPath, std::string(kRoaming) + "\\Templates") << win;
    EXPECT_EQ(loc().StationeryPath, std::string(kShared) + "Stationery") << win;
    EXPECT_TRUE(Enabled(kSignatures)) << win;
    EXPECT_TRUE(Enabled(kStationery)) << win;
  }
}

TEST_F(SourceProfile, MissingSharedFilesDirDisablesStationery) {
  ScopedString shared(app.reg, kSharedTools, "SharedFilesDir", "x");
  app.reg.DeleteValue(kSharedTools, "SharedFilesDir");
  UseSystem("6.1", "15.0");
  Click();
  EXPECT_EQ(loc().StationeryPath, "ErrorStationery");
  EXPECT_FALSE(Enabled(kStationery));
}

TEST_F(SourceProfile, FolderItemsNeedAFileDirectlyInTheFolder) {
  tp.drive.MakeFolder(std::string(kRoaming) + "\\Signatures");           // empty
  tp.drive.Put(std::string(kRoaming) + "\\Templates\\sub\\a.dot", "x");  // subfolder only
  tp.drive.Put(std::string(kUser) + "\\Contacts\\anna.contact", "x");
  Click();
  EXPECT_FALSE(Enabled(kSignatures));
  EXPECT_FALSE(Enabled(kTemplates));
  EXPECT_FALSE(Enabled(kPreferences));  // no folder at all
  EXPECT_TRUE(Enabled(kContacts));
}

TEST_F(SourceProfile, AccountsItemFollowsTheAccountsKey) {
  Click();
  EXPECT_FALSE(Enabled(kAccounts));
  SeedKey(app.reg, profileKey() + "\\9375CFF0413111d3B88A00104B2A6676");
  Click();
  EXPECT_TRUE(Enabled(kAccounts));
}

TEST_F(SourceProfile, EveryClickEnablesAfreshAndClearsCheckMarks) {
  for (auto& box : form.backupitem) {
    box.value = 1;
    box.enabled = false;
  }
  Click();
  for (const auto& box : form.backupitem) EXPECT_EQ(box.value, 0);
  EXPECT_TRUE(Enabled(kData));
  EXPECT_TRUE(Enabled(kOptions));
}

TEST_F(SourceProfile, AddressBookSearchGoesOnUntilAnExistingFile) {
  UseSystem("5.1", "11.0");
  tp.drive.Put("C:\\Mail\\book.pab", "pab");
  SeedString(app.reg, profileKey() + "\\0a0d020000000000c000000000000046", "001e6600", "C:\\Mail\\missing.pab");
  SeedKey(app.reg, profileKey() + "\\1b");  // a service section without the value
  Click();
  EXPECT_FALSE(Enabled(kPab));

  SeedString(app.reg, profileKey() + "\\2c", "001e6600", "C:\\Mail\\book.pab");
  Click();
  EXPECT_TRUE(Enabled(kPab));
}

// Answers FileExists from a fixed set of paths, exactly as written, so the test sees the
// path the search asks for (Windows itself often forgives doubled separators).
class ExactFiles : public FileSystem {
 public:
  explicit ExactFiles(FileSystem& inner) : inner_(inner) {}
  std::vector<std::string> existing, asked;
  bool FileExists(const std::string& p) override {
    asked.push_back(p);
    return std::find(existing.begin(), existing.end(), p) != existing.end();
  }
  bool FolderExists(const std::string& p) override { return inner_.FolderExists(p); }
  std::optional<std::vector<std::string>> ListFiles(const std::string& f) override { return inner_.ListFiles(f); }
  std::optional<std::string> StoredName(const std::string& p) override { return inner_.StoredName(p); }
  std::optional<std::uint64_t> FileSize(const std::string& p) override { return inner_.FileSize(p); }
  bool CreateFolder(const std::string& p) override { return inner_.CreateFolder(p); }
  bool DeleteFile(const std::string& p) override { return inner_.DeleteFile(p); }
  bool RenameFile(const std::string& a, const std::string& b) override { return inner_.RenameFile(a, b); }
  bool ReplaceFile(const std::string& a, const std::string& b) override { return inner_.ReplaceFile(a, b); }
  bool SetNormalAttributes(const std::string& p) override { return inner_.SetNormalAttributes(p); }
  std::optional<std::string> ReadAll(const std::string& p) override { return inner_.ReadAll(p); }
  bool WriteAll(const std::string& p, const std::string& b) override { return inner_.WriteAll(p, b); }
  bool Append(const std::string& p, const std::string& b) override { return inner_.Append(p, b); }
  std::string CreateTempFile(const std::string& f, const std::string& x) override { return inner_.CreateTempFile(f, x); }
  std::string NativePath(const std::string& p) override { return inner_.NativePath(p); }

 private:
  FileSystem& inner_;
};

TEST_F(SourceProfile, AddressBookPathWithDoubledBackslashesIsCollapsed) {
  ExactFiles files(tp.drive.fs());
  files.existing = {"C:\\Mail\\book.pab", "\\\\server\\share\\book.pab"};
  SeedString(app.reg, profileKey() + "\\2c", "001e6600", "C:\\\\Mail\\\\book.pab");
  EXPECT_TRUE(FindPersonalAddressBook(app.reg, files, profileKey()));
  EXPECT_EQ(files.asked, std::vector<std::string>{"C:\\Mail\\book.pab"});

  // Each pair collapses once, left to right: a doubled UNC start keeps its two backslashes.
  SeedString(app.reg, profileKey() + "\\2c", "001e6600", "\\\\\\\\server\\\\share\\book.pab");
  files.asked.clear();
  EXPECT_TRUE(FindPersonalAddressBook(app.reg, files, profileKey()));
  EXPECT_EQ(files.asked, std::vector<std::string>{"\\\\server\\share\\book.pab"});
}

TEST_F(SourceProfile, AddressBookUnsupportedFromOffice12On) {
  tp.drive.Put("C:\\Mail\\book.pab", "pab");
  SeedString(app.reg, profileKey() + "\\2c", "001e6600", "C:\\Mail\\book.pab");
  for (const char* office : {"12.0", "14.0", "15.0", "16.0"}) {
    UseSystem("6.1", office);
    form.backupitem[kPab].tooltip.clear();
    Click();
    EXPECT_FALSE(Enabled(kPab)) << office;
    EXPECT_EQ(form.backupitem[kPab].tooltip, kNoPabTooltip) << office;
  }
}

TEST_F(SourceProfile, GeneratedTargetNameInTheProgramFolderByDefault) {
  Click();
  const std::string expected = tp.system.programFolder + "\\mvbox-Outlook-" + kToday + ".tvo";
  EXPECT_EQ(form.txtTargetFile.text, expected);
  EXPECT_EQ(loc().TargetFile, expected);
}

TEST_F(SourceProfile, GeneratedNameOffLeavesTheTargetAlone) {
  Setting("automgeneratefile", "0");
  form.txtTargetFile.text = "D:\\mine.tvo";
  app.state.loc.TargetFile = "D:\\mine.tvo";
  Click();
  EXPECT_EQ(form.txtTargetFile.text, "D:\\mine.tvo");
  EXPECT_EQ(loc().TargetFile, "D:\\mine.tvo");
}

TEST_F(SourceProfile, BackupFolderSettingLosesItsTrailingBackslash) {
  tp.drive.MakeFolder("C:\\Safe");
  Setting("automgeneratefile", "1");
  Setting("backupfolder", "C:\\Safe\\");
  Click();
  EXPECT_EQ(form.txtTargetFile.text, std::string("C:\\Safe\\mvbox-Outlook-") + kToday + ".tvo");

  // A folder that does not exist falls back to the program folder.
  Setting("backupfolder", "C:\\Gone");
  Click();
  EXPECT_EQ(form.txtTargetFile.text, tp.system.programFolder + "\\mvbox-Outlook-" + kToday + ".tvo");
}

TEST_F(SourceProfile, ScheduledTwinAlwaysProposesAnUndatedName) {
  tp.drive.MakeFolder("C:\\Safe");
  Setting("automgeneratefile", "0");
  Setting("backupfolder", "C:\\Safe");
  app.state.loc.TargetFile = "C:\\main.tvo";
  std::array<CheckBox, 9> twinItems;
  twinItems[kSignatures].value = 1;
  tp.drive.Put(std::string(kRoaming) + "\\Signatures\\work.htm", "sig");

  const TargetProposal proposal = SelectSourceProfile(app, "Work", twinItems, SourceMode::ScheduledTask);
  EXPECT_TRUE(proposal.apply);
  EXPECT_EQ(proposal.name, "C:\\Safe\\mvbox-Work.tvo");
  EXPECT_EQ(loc().TargetFile, "C:\\main.tvo");
  // It writes the shared location set and its own boxes, not the main window's.
  EXPECT_EQ(loc().AccountsKey, app.state.env.ProfilesKey + "\\Work\\9375CFF0413111d3B88A00104B2A6676");
  EXPECT_TRUE(twinItems[kSignatures].enabled);
  EXPECT_EQ(twinItems[kSignatures].value, 0);
  EXPECT_EQ(form.backupitem[kSignatures].enabled, true);
  EXPECT_EQ(form.txtTargetFile.text, "");
}

}  // namespace
}  // namespace tarvo
