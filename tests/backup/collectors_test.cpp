#include <algorithm>

#include "core/record.h"
#include "backup_fixture.h"

namespace tarvo {
namespace {

class CollectorTest : public BackupFixture {
 protected:
  const std::string archive = "C:\\Backup\\out.tvo";
  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    ASSERT_TRUE(app.zip.NewArchive(archive));
  }
  // Writes what the collectors added (plus nothing else) and lists the entries.
  std::vector<std::string> Written() {
    EXPECT_TRUE(app.zip.WriteArchive()) << app.zip.LastError();
    app.zip.CloseArchive();
    return EntryNames(archive);
  }
  std::string Record(const std::string& key) {
    if (!tp.drive.fs().FileExists(app.state.InfoRecordPath)) return "<no record>";
    return GetINI(tp.drive.fs(), key, app.state.InfoRecordPath);
  }
};

TEST_F(CollectorTest, FolderCollectorsNeedFilesDirectlyInTheFolder) {
  const std::string& sig = app.state.loc.SignaturesPath;
  EXPECT_FALSE(job.BackupSignatures()) << "missing folder";
  tp.drive.MakeFolder(sig);
  EXPECT_FALSE(job.BackupSignatures()) << "empty folder";
  tp.drive.Put(sig + "\\Work_files\\image001.png", "png");
  EXPECT_FALSE(job.BackupSignatures()) << "only a subfolder";
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
}

TEST_F(CollectorTest, FolderCollectorListsAndAddsEachFileInOrder) {
  const std::string& tpl = app.state.loc.TemplatesPath;
  tp.drive.Put(tpl + "\\b.oft", "B");
  tp.drive.Put(tpl + "\\A.oft", "A");
  tp.drive.Put(tpl + "\\sub\\c.oft", "C");
  ASSERT_TRUE(job.BackupTemplates());
  EXPECT_EQ(Record("BackupTemplates"), "A.oft;b.oft");
  EXPECT_EQ(Written(), (std::vector<std::string>{"A.oft", "b.oft"}));
}

TEST_F(CollectorTest, CollectorFailsWhenItsRecordLineCannotBeWritten) {
  tp.drive.Put(app.state.loc.ContactsPath + "\\anna.vcf", "BEGIN:VCARD");
  app.state.InfoRecordPath = "C:\\missing folder\\mailvault.dat";
  EXPECT_FALSE(job.BackupContacts());
  // The entry that was added stays in the archive.
  EXPECT_EQ(Written(), (std::vector<std::string>{"anna.vcf"}));
}

TEST_F(CollectorTest, DataFilesFollowSubkeyOrderAndSkipMissingFiles) {
  tp.drive.Put("C:\\Mail\\Outlook.pst", "pst one");
  tp.drive.Put("C:\\Mail\\Old\\narrow.pst", "pst three");
  SeedDataFile("0a0d020000000000c000000000000046", "C:\\Mail\\Outlook.pst");
  SeedDataFile("1b3e", "D:\\Archive\\archive.pst");
  SeedDataFile("9c1f", "C:\\Mail\\Old\\narrow.pst", /*wide=*/false);
  SetString(profileKey() + "\\9d00", "001e3001", "not a data file");
  ASSERT_TRUE(job.BackupDatas("Outlook"));
  EXPECT_EQ(Record("BackupDatas"), "Outlook.pst;narrow.pst");
  EXPECT_EQ(Written(), (std::vector<std::string>{"Outlook.pst", "narrow.pst"}));
}

TEST_F(CollectorTest, DataFileListHoldsTheNameAsStoredAndTheEntryThePathAsRead) {
  tp.drive.Put("C:\\Mail\\Outlook.pst", "pst");
  SeedDataFile("0a0d", "C:\\MAIL\\OUTLOOK.PST");
  ASSERT_TRUE(job.BackupDatas("Outlook"));
  EXPECT_EQ(Record("BackupDatas"), "Outlook.pst");
  EXPECT_EQ(Written(), (std::vector<std::string>{"OUTLOOK.PST"}));
}

TEST_F(CollectorTest, DataFilesFailWithoutSubkeysOrExistingFiles) {
  EXPECT_FALSE(job.BackupDatas("Outlook")) << "no profile key";
  SeedDataFile("0a0d", "C:\\Mail\\gone.pst");
  EXPECT_FALSE(job.BackupDatas("Outlook")) << "no data file on disk";
  EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
}

TEST_F(CollectorTest, AddressBookWithDoubledBackslashesIsAddedUnderItsSinglePath) {
  tp.drive.Put("C:\\Users\\tester\\Mail\\Anna.pab", "pab");
  SetString(profileKey() + "\\5a1c", "001e6600", "C:\\\\Users\\\\tester\\\\Mail\\\\Anna.pab");
  SetString(profileKey() + "\\5a1d", "001e6600", "C:\\Users\\tester\\Mail\\gone.pab");
  ASSERT_TRUE(job.BackupPab("Outlook"));
  EXPECT_EQ(Record("BackupPab"), "Anna.pab");
  EXPECT_EQ(Written(), (std::vector<std::string>{"Anna.pab"}));
}

TEST_F(CollectorTest, RulesRecordTheBuiltNameWhateverTheDiskSpelling) {
  EXPECT_FALSE(job.BackupRules("Outlook")) << "no rules file";
  tp.drive.Put(app.state.loc.RulesPath + "\\outlook.rwz", "rules");
  ASSERT_TRUE(job.BackupRules("Outlook"));
  EXPECT_EQ(Record("BackupRules"), "Outlook.RWZ");
  EXPECT_EQ(Written(), (std::vector<std::string>{"Outlook.RWZ"}));
}

TEST_F(CollectorTest, RulesFileThroughTwoItemsIsStoredOnceWithoutComplaint) {
  tp.drive.Put(app.state.loc.RulesPath + "\\Outlook.rwz", "rules");
  tp.drive.Put(app.state.loc.PreferencesPath + "\\views.xml", "views");
  ASSERT_TRUE(job.BackupRules("Outlook"));
  ASSERT_TRUE(job.BackupSetting());
  EXPECT_EQ(Record("BackupSetting"), "Outlook.rwz;views.xml");
  EXPECT_EQ(Written(), (std::vector<std::string>{"Outlook.RWZ", "views.xml"}));
  EXPECT_EQ(LogText(), "");
}

TEST_F(CollectorTest, SecondFileOfAnExistingNameWithOtherContentIsSkippedAndLogged) {
  const std::string sigFile = app.state.loc.SignaturesPath + "\\Work.htm";
  const std::string tplFile = app.state.loc.TemplatesPath + "\\work.htm";
  tp.drive.Put(sigFile, "signature");
  tp.drive.Put(tplFile, "template");
  tp.drive.Put(app.state.loc.TemplatesPath + "\\memo.oft", "memo");
  ASSERT_TRUE(job.BackupSignatures());
  ASSERT_TRUE(job.BackupTemplates());
  // The templates list names only what the archive really holds for it.
  EXPECT_EQ(Record("BackupTemplates"), "memo.oft");
  EXPECT_EQ(LogText(), "3/7/2024 1:05:09 PM Skipped " + tplFile +
                           ": another file named work.htm is already in the backup file\n\r\n");

  EXPECT_EQ(Written(), (std::vector<std::string>{"Work.htm", "memo.oft"}));
  ZipComponent zip(tp.drive.fs());
  ASSERT_TRUE(zip.OpenArchive(archive));
  tp.drive.MakeFolder("C:\\out");
  ASSERT_TRUE(zip.ExtractTo(*zip.GetEntry("Work.htm"), "C:\\out"));
  EXPECT_EQ(tp.drive.Get("C:\\out\\Work.htm"), "signature");
}

TEST_F(CollectorTest, RegistryExportsUseTheirOwnWorkFileSlot) {
  EXPECT_FALSE(job.BackupAccounts("Outlook")) << "missing accounts key";
  EXPECT_TRUE(app.state.exportFiles[kAccountsExport].empty());

  SetString(app.state.loc.AccountsKey + "\\00000001", "Account Name", "anna@example.com");
  SetString(app.state.loc.OptionsKey + "\\Mail", "EditorPreference", "x");
  SetString(profileKey(), "Profile", "yes");
  ASSERT_TRUE(job.BackupConfig("Outlook"));
  ASSERT_TRUE(job.BackupAccounts("Outlook"));
  ASSERT_TRUE(job.BackupConfigsetting());

  const auto& slots = app.state.exportFiles;
  const std::string names[3] = {BareName(slots[0]), BareName(slots[1]), BareName(slots[2])};
  EXPECT_EQ(names[0].substr(0, 3), "OBC");
  EXPECT_EQ(names[1].substr(0, 3), "OBA");
  EXPECT_EQ(names[2].substr(0, 3), "OBC");
  EXPECT_NE(names[0], names[2]);
  for (const std::string& slot : slots) EXPECT_EQ(ParentFolder(slot), app.state.DataFolder);
  EXPECT_EQ(Record("BackupConfig"), names[0]);
  EXPECT_EQ(Record("BackupAccounts"), names[1]);
  EXPECT_EQ(Record("BackupConfigsetting"), names[2]);
  EXPECT_NE(tp.drive.Get(slots[1]).find("anna@example.com"), std::string::npos);

  const auto entries = Written();
  EXPECT_EQ(entries, (std::vector<std::string>{names[0], names[1], names[2]}));
}

}  // namespace
}  // namespace tarvo
