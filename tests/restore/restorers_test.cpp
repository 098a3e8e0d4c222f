#include <zip.h>

#include "registry/reg_export.h"
#include "restore_fixture.h"
#include "support/forwarding_registry.h"

namespace tarvo {
namespace {

class RestorersTest : public RestoreFixture {
 protected:
  void OpenWith(const Files& files, const std::vector<std::pair<std::string, std::string>>& keys,
                const std::string& flags) {
    BuildArchive("C:\\b.tvo", files, Record(keys, flags));
    Open("C:\\b.tvo");
    ASSERT_FALSE(app.state.NoArchiveLoaded);
  }
};

TEST_F(RestorersTest, DataFilesLandInTheLocalFolderAndEverySectionIsRepointed) {
  const std::string oldA = "C:\\mail\\Work - 2010.pst", oldB = "C:\\mail\\Archive.pst";
  const std::string pk = ProfileKey();
  SeedValue(pk + "\\sectA", "01020fff", kRegBinary, StoreEntryId(oldA));
  SeedValue(pk + "\\sectA", "001f6700", kRegBinary, Utf16z(oldA));
  SeedValue(pk + "\\sectA", "001e6700", kRegBinary, oldA + std::string(1, '\0'));
  SeedValue(pk + "\\sectB", "01020fff", kRegBinary, StoreEntryId(oldB));
  SeedValue(pk + "\\plain", "001e3001", kRegSz, std::string("Outlook Address Book\0", 21));
  SeedValue(pk + "\\0a0d020000000000c000000000000046", "1102039b", kRegBinary, "x");
  SeedValue(pk + "\\0a0d020000000000c000000000000046", "001e023d", kRegBinary, "y");
  SeedValue(pk + "\\9375CFF0413111d3B88A00104B2A6676\\00000005", "Delivery Store EntryID", kRegBinary, "z");
  tp.drive.Put(std::string(kUser) + "\\Application Data\\Microsoft\\Outlook\\Work.FAV", "fav");
  tp.drive.Put(std::string(kRoaming) + "\\Outlook\\Work.FAV", "fav");
  tp.drive.Put(std::string(kLocalOutlook) + "\\Archive.pst", "old local copy");

  OpenWith({{"Work - 2010.pst", "!BDN one"}, {"Archive.pst", "!BDN two"}},
           {{"BackupDatas", "Work - 2010.pst;Archive.pst"}}, "01000000000");
  ASSERT_TRUE(restorer.RestoreDatas("Work"));

  EXPECT_EQ(tp.drive.Get(std::string(kLocalOutlook) + "\\Work - 2010.pst"), "!BDN one");
  EXPECT_EQ(tp.drive.Get(std::string(kLocalOutlook) + "\\Archive.pst"), "!BDN two");
  const std::string newA = std::string(kLocalOutlook) + "\\Work - 2010.pst";
  const std::string newB = std::string(kLocalOutlook) + "\\Archive.pst";
  EXPECT_EQ(ValueBytes(pk + "\\sectA", "01020fff"), StoreEntryId(newA));
  EXPECT_EQ(ValueBytes(pk + "\\sectA", "001f6700"), Utf16z(newA));
  EXPECT_EQ(ValueBytes(pk + "\\sectA", "001e6700"), "<missing>");
  EXPECT_EQ(ValueBytes(pk + "\\sectB", "01020fff"), StoreEntryId(newB));
  EXPECT_EQ(ValueBytes(pk + "\\plain", "001e3001"), std::string("Outlook Address Book\0", 21));
  EXPECT_EQ(ValueBytes(pk + "\\0a0d020000000000c000000000000046", "1102039b"), "<missing>");
  EXPECT_EQ(ValueBytes(pk + "\\0a0d020000000000c000000000000046", "001e023d"), "<missing>");
  EXPECT_EQ(ValueBytes(pk + "\\9375CFF0413111d3B88A00104B2A6676\\00000005", "Delivery Store EntryID"), "<missing>");
  EXPECT_FALSE(tp.drive.fs().FileExists(std::string(kUser) + "\\Application Data\\Microsoft\\Outlook\\Work.FAV"));
  EXPECT_FALSE(tp.drive.fs().FileExists(std::string(kRoaming) + "\\Outlook\\Work.FAV"));

  // A profile without service sections: the files are extracted, the result is false.
  EXPECT_FALSE(restorer.RestoreDatas("Nobody"));
}

TEST_F(RestorersTest, WindowsXpPutsDataFilesUnderLocalSettings) {
  app.state.env.WinVersion = "5.1";
  const std::string folder = std::string(kUser) + "\\Local Settings\\Application Data\\Microsoft\\Outlook";
  tp.drive.MakeFolder(folder);
  SeedValue(ProfileKey() + "\\s", "01020fff", kRegBinary, StoreEntryId("D:\\old\\a.pst"));
  OpenWith({{"a.pst", "!BDN"}}, {{"BackupDatas", "a.pst"}}, "01000000000");
  ASSERT_TRUE(restorer.RestoreDatas("Work"));
  EXPECT_EQ(tp.drive.Get(folder + "\\a.pst"), "!BDN");
  EXPECT_EQ(ValueBytes(ProfileKey() + "\\s", "01020fff"), StoreEntryId(folder + "\\a.pst"));
}

TEST_F(RestorersTest, RulesOfHomeBecomeTheRulesOfWorkAndHomeKeepsItsOwn) {
  const std::string folder = std::string(kRoaming) + "\\Outlook";
  tp.drive.Put(folder + "\\Work.RWZ", "work rules");
  tp.drive.Put(folder + "\\Home.RWZ", "home rules on this machine");
  OpenWith({{"Home.RWZ", "home rules from backup"}}, {{"BackupRules", "Home.RWZ"}}, "00100000000");

  ASSERT_TRUE(restorer.RestoreRules("Work"));
  EXPECT_EQ(tp.drive.Get(folder + "\\Work.RWZ"), "home rules from backup");
  EXPECT_EQ(tp.drive.Get(folder + "\\Home.RWZ"), "home rules on this machine");

  ASSERT_TRUE(restorer.RestoreRules("home"));  // same profile, any case: only extracted
  EXPECT_EQ(tp.drive.Get(folder + "\\Home.RWZ"), "home rules from backup");
  EXPECT_EQ(*tp.drive.fs().ListFiles(folder), (std::vector<std::string>{"Home.RWZ", "Work.RWZ"}));
}

TEST_F(RestorersTest, FolderItemsGoWhereThisWindowsAndOfficeKeepThem) {
  const std::string sharedKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
  const std::string oldShared = app.reg.GetStringValue(sharedKey, "SharedFilesDir");
  SeedKey(sharedKey);
  app.reg.SetStringValue(sharedKey, "SharedFilesDir", "  C:\\Program Files\\Common Files\\Microsoft Shared\\ ");
  tp.drive.MakeFolder("C:\\Program Files\\Common Files\\Microsoft Shared");
  tp.drive.MakeFolder(kUser + std::string("\\Contacts"));
  OpenWith({{"Work.htm", "sig"}, {"Work.txt", "sig txt"}, {"Paper.htm", "paper"}, {"Normal.dotm", "tpl"},
            {"outcmd.dat", "cmd"}, {"anna.contact", "vcard"}},
           {{"BackupSignatures", "Work.htm;Work.txt"}, {"BackupStationery", "Paper.htm"},
            {"BackupTemplates", "Normal.dotm"}, {"BackupSetting", "outcmd.dat"}, {"BackupContacts", "anna.contact"}},
           "00001100111");

  // No "Signatures" folder yet: its last level is created.
  EXPECT_TRUE(restorer.RestoreSignatures());
  EXPECT_EQ(tp.drive.Get(std::string(kRoaming) + "\\Signatures\\Work.txt"), "sig txt");
  EXPECT_TRUE(restorer.RestoreStationery());
  EXPECT_EQ(tp.drive.Get("C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery\\Paper.htm"), "paper");
  EXPECT_TRUE(restorer.RestoreTemplates());
  EXPECT_EQ(tp.drive.Get(std::string(kRoaming) + "\\Templates\\Normal.dotm"), "tpl");
  EXPECT_TRUE(restorer.RestoreSetting());
  EXPECT_EQ(tp.drive.Get(std::string(kRoaming) + "\\Outlook\\outcmd.dat"), "cmd");
  EXPECT_TRUE(restorer.RestoreContacts());
  EXPECT_EQ(tp.drive.Get(std::string(kUser) + "\\Contacts\\anna.contact"), "vcard");

  // Outlook 2003 on Windows 7: stationery under the roaming branch.
  app.state.env.OfficeVersion = "11.0";
  EXPECT_TRUE(restorer.RestoreStationery());
  EXPECT_EQ(tp.drive.Get(std::string(kRoaming) + "\\Stationery\\Paper.htm"), "paper");

  // A parent that does not exist is not created.
  app.state.env.WinVersion = "5.1";
  EXPECT_FALSE(restorer.RestoreSignatures());

  if (oldShared == kRegError)
    app.reg.DeleteValue(sharedKey, "SharedFilesDir");
  else
    app.reg.SetStringValue(sharedKey, "SharedFilesDir", oldShared);
}

TEST_F(RestorersTest, AddressBookPathsArePointedAtTheLocalFolder) {
  app.state.env.OfficeVersion = "11.0";
  SeedValue(ProfileKey() + "\\pab", "001e6600", kRegSz, std::string("C:\\old\\mailbox.pab\0", 19));
  SeedKey(ProfileKey() + "\\other");
  OpenWith({{"mailbox.pab", "pab"}}, {{"BackupPab", "mailbox.pab"}}, "00000010000");
  ASSERT_TRUE(restorer.RestorePab("Work"));
  EXPECT_EQ(tp.drive.Get(std::string(kLocalOutlook) + "\\mailbox.pab"), "pab");
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey() + "\\pab", "001e6600"), std::string(kLocalOutlook) + "\\mailbox.pab");
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey() + "\\other", "001e6600"), kRegError);
}

TEST_F(RestorersTest, RegistryItemsReplaceTheBranchOnlyWhereTheKeyExists) {
  // An export of a Home profile made elsewhere.
  const std::string exportText = "\\\r\n\"Name\"= sz:Home\r\n\\sect\r\n\"001e3001\"= sz:Personal Folders\r\n";
  SeedValue(ProfileKey(), "Stale", kRegSz, std::string("old\0", 4));
  SeedKey(ProfileKey() + "\\oldsect");
  OpenWith({{"OBC1A.TMP", exportText}, {"OBA2B.TMP", "\\\r\n\"Account Name\"= sz:pop\r\n"}},
           {{"BackupConfig", "OBC1A.TMP"}, {"BackupAccounts", " OBA2B.TMP "}}, "10010000000");

  // No accounts key in Work: nothing written, still true.
  EXPECT_TRUE(restorer.RestoreAccounts("Work"));
  EXPECT_FALSE(app.reg.KeyExists(ProfileKey() + "\\9375CFF0413111d3B88A00104B2A6676"));

  ASSERT_TRUE(restorer.RestoreConfig("Work"));
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey(), "Name"), "Home");
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey(), "Stale"), kRegError);
  EXPECT_FALSE(app.reg.KeyExists(ProfileKey() + "\\oldsect"));
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey() + "\\sect", "001e3001"), "Personal Folders");
  // Neither the extracted export nor the safety copy is left in the program folder.
  EXPECT_EQ(*tp.drive.fs().ListFiles(app.state.DataFolder), std::vector<std::string>{});

  EXPECT_TRUE(restorer.RestoreConfig("Nobody"));  // no such profile: not created
  EXPECT_FALSE(app.reg.KeyExists(ProfileKey("Nobody")));
}

// Fails every write of a value named "poison", as a locked or protected key would.
class PoisonRegistry : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long SetValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return n == "poison" ? kErrorAccessDenied : in.SetValue(k, n, t, d, s);
  }
};

TEST_F(RestorersTest, FailedImportPutsTheEarlierBranchBack) {
  SeedValue(ProfileKey(), "Keep", kRegSz, std::string("mine\0", 5));
  SeedValue(ProfileKey() + "\\sect", "001e3001", kRegSz, std::string("Mailbox\0", 8));
  BuildArchive("C:\\b.tvo", {{"OBC1.TMP", "\\\r\n\"New\"= sz:x\r\n\"poison\"= sz:y\r\n"}},
               Record({{"BackupConfig", "OBC1.TMP"}}, "10000000000"));

  PoisonRegistry poison(tp.registry);
  Platform platform{poison, tp.drive.fs(), tp.system, tp.processes, tp.shell, tp.ui, tp.office};
  App failing(platform);
  failing.state = app.state;
  FrmMain window(failing);
  tp.ui.openAnswers.push_back("C:\\b.tvo");
  window.cmdSourceFile_Click();
  ASSERT_FALSE(failing.state.NoArchiveLoaded);

  RunLogSink sink(failing);
  EXPECT_FALSE(RestoreJob(failing, {}, sink).RestoreConfig("Work"));
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey(), "Keep"), "mine");
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey(), "New"), kRegError);
  EXPECT_EQ(app.reg.GetStringValue(ProfileKey() + "\\sect", "001e3001"), "Mailbox");
  EXPECT_EQ(*tp.drive.fs().ListFiles(app.state.DataFolder), std::vector<std::string>{"brlog.dat"});
  EXPECT_NE(tp.drive.Get(app.state.LogFile).find("Everything the restore had changed was put back."), std::string::npos);
}

TEST_F(RestorersTest, TamperedDataFileFailsAndLeavesTheUsersFileUntouched) {
  const std::string pst = std::string(kLocalOutlook) + "\\Work.pst";
  tp.drive.Put(pst, "the user's good PST");
  SeedValue(ProfileKey() + "\\s", "01020fff", kRegBinary, StoreEntryId(pst));
  std::string content;
  for (int i = 0; i < 4000; ++i) content += static_cast<char>((i * 7919) % 251);
  BuildArchive("C:\\b.tvo", {{"Work.pst", content}}, Record({{"BackupDatas", "Work.pst"}}, "01000000000"));
  {
    ZipComponent reader(tp.drive.fs());
    ASSERT_TRUE(reader.OpenArchive("C:\\b.tvo"));
    const auto entry = reader.GetEntry("Work.pst");
    ASSERT_TRUE(entry);
    reader.CloseArchive();
    // The first entry's data begins after its local header, name and extra field.
    std::string bytes = tp.drive.Get("C:\\b.tvo");
    const std::size_t data = 30 + static_cast<unsigned char>(bytes[26]) + static_cast<unsigned char>(bytes[27]) * 256 +
                             static_cast<unsigned char>(bytes[28]) + static_cast<unsigned char>(bytes[29]) * 256;
    bytes[data + entry->compressedSize / 2] ^= 0x01;
    tp.drive.Put("C:\\b.tvo", bytes);
  }
  Open("C:\\b.tvo");
  ASSERT_FALSE(app.state.NoArchiveLoaded);

  EXPECT_FALSE(restorer.RestoreDatas("Work"));
  EXPECT_EQ(tp.drive.Get(pst), "the user's good PST");
  EXPECT_EQ(*tp.drive.fs().ListFiles(kLocalOutlook), std::vector<std::string>{"Work.pst"});
  EXPECT_EQ(ValueBytes(ProfileKey() + "\\s", "01020fff"), StoreEntryId(pst));
}

TEST_F(RestorersTest, EntryNamesHoldingAPathAreRefused) {
  // Written with libzip itself: the component names entries by bare file name only.
  const std::string host = tp.drive.Host("C:\\evil.tvo");
  int error = 0;
  zip_t* za = zip_open(host.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(za, nullptr);
  const std::string record = Record({{"BackupSignatures", "..\\evil.txt"}}, "00001000000");
  static const char kEvil[] = "evil";
  zip_file_add(za, "..\\evil.txt", zip_source_buffer(za, kEvil, 4, 0), 0);
  zip_file_add(za, "mailvault.dat", zip_source_buffer(za, record.data(), record.size(), 0), 0);
  ASSERT_EQ(zip_close(za), 0);

  Open("C:\\evil.tvo");
  ASSERT_FALSE(app.state.NoArchiveLoaded);
  EXPECT_FALSE(restorer.RestoreSignatures());
  EXPECT_FALSE(tp.drive.fs().FileExists(std::string(kRoaming) + "\\evil.txt"));
  EXPECT_FALSE(tp.drive.fs().FolderExists(std::string(kRoaming) + "\\Signatures")) << "a refused restore made a folder";
}

}  // namespace
}  // namespace tarvo
