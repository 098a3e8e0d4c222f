// Names the ANSI code page cannot hold (Cyrillic, CJK): the record keeps them with "?",
// the archive keeps them whole, and a restore on this machine still finds every file.
#include "backup/backup_fixture.h"
#include "backup/record_entry.h"
#include "platform/unicode_text.h"

namespace tarvo {
namespace {

const std::string kPochta = "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0";  // Почта
const std::string kDenek = "\xD0\x94\xD0\xB5\xD0\xBD\xD0\xB5\xD0\xBA";   // Денек
const std::string kYoujian = "\xE9\x82\xAE\xE4\xBB\xB6";                  // 邮件
const std::string kQianming = "\xE7\xAD\xBE\xE5\x90\x8D";                 // 签名

// A PST store entry ID whose path is UTF-16, whatever the script.
std::string WideStoreEntryId(const std::string& path) {
  std::string id = StoreEntryId("", true);
  id.resize(id.size() - 2);
  for (char16_t unit : SplitUtf16(DecodeUtf8(path))) {
    id += static_cast<char>(unit & 0xFF);
    id += static_cast<char>(unit >> 8);
  }
  return id + std::string(2, '\0');
}

class UnicodeNamesTest : public BackupFixture {
 protected:
  const std::string archivePath = "C:\\Backup\\u.tvo";
  const std::string local = "C:\\Users\\tester\\AppData\\Local\\Microsoft\\Outlook";
  std::string Key(const std::string& profile) { return app.state.env.ProfilesKey + "\\" + profile; }
  std::string ValueOf(const std::string& keyPath) {
    std::string sub = keyPath;
    const RegKey root = app.reg.ParseKeyPath(sub);
    RegKey key = 0;
    if (app.reg.api().OpenKey(root, sub, kKeyRead, &key) != kErrorSuccess) return "<no key>";
    std::uint32_t type = 0, size = 0;
    std::string out = "<missing>";
    if (app.reg.api().QueryValue(key, "01020fff", &type, nullptr, &size) == kErrorSuccess) {
      out.assign(size, '\0');
      app.reg.api().QueryValue(key, "01020fff", &type, reinterpret_cast<std::uint8_t*>(out.data()), &size);
    }
    app.reg.api().CloseKey(key);
    return out;
  }

  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    tp.drive.MakeFolder(local);
    for (const std::string& name : {kPochta, kYoujian}) {
      tp.drive.Put("C:\\Mail\\" + name + ".pst", "!BDN " + name);
      SetBinary(Key(kPochta) + "\\s-" + name, "01020fff", WideStoreEntryId("C:\\Mail\\" + name + ".pst"));
      SetBinary(Key("Work") + "\\s-" + name, "01020fff", WideStoreEntryId("D:\\old\\" + name + ".pst"));
    }
    tp.drive.Put(app.state.loc.RulesPath + "\\" + kPochta + ".RWZ", "rules of " + kPochta);
    tp.drive.Put(app.state.loc.SignaturesPath + "\\" + kQianming + ".htm", "signature");
  }

  void Backup() {
    frm.cbSource.text = kPochta;
    frm.backupitem[0].value = frm.backupitem[2].value = 1;
    app.state.loc.TargetFile = archivePath;
    frm.RunBackup();
    tp.ui.openAnswers.push_back(archivePath);
    frm.cmdSourceFile_Click();
    ASSERT_FALSE(app.state.NoArchiveLoaded);
  }
};

TEST_F(UnicodeNamesTest, CyrillicProfileAndCjkFilesRestoreIntoTheirOwnAndAnotherProfile) {
  Backup();
  // The record is ANSI, as older readers expect it.
  const auto record = RecordLines(archivePath);
  EXPECT_EQ(record[2], "BackupIdentity=?????");
  EXPECT_EQ(record[7], "BackupDatas=?????.pst;??.pst");
  EXPECT_EQ(record[8], "BackupRules=?????.RWZ");
  EXPECT_EQ(record[9], "BackupSignatures=??.htm");

  for (const std::string target : {"Work", kPochta.c_str()}) {
    SCOPED_TRACE(target);
    for (const std::string& name : {kPochta, kYoujian}) tp.drive.fs().DeleteFile(local + "\\" + name + ".pst");
    ASSERT_TRUE(restorer.RestoreDatas(target));
    for (const std::string& name : {kPochta, kYoujian}) {
      EXPECT_EQ(tp.drive.Get(local + "\\" + name + ".pst"), "!BDN " + name);
      EXPECT_EQ(ValueOf(Key(target) + "\\s-" + name), WideStoreEntryId(local + "\\" + name + ".pst"));
    }
    ASSERT_TRUE(restorer.RestoreRules(target));
    EXPECT_EQ(tp.drive.Get(app.state.loc.RulesPath + "\\" + target + ".RWZ"), "rules of " + kPochta);
  }
  ASSERT_TRUE(restorer.RestoreSignatures());
  EXPECT_EQ(tp.drive.Get(app.state.loc.SignaturesPath + "\\" + kQianming + ".htm"), "signature");
  EXPECT_EQ(LogText().find("none of them"), std::string::npos) << LogText();
}

TEST_F(UnicodeNamesTest, TwoEntriesTheRecordCannotTellApartAreRefusedAndLogged) {
  tp.drive.Put("C:\\Mail\\" + kDenek + ".pst", "!BDN " + kDenek);
  SetBinary(Key(kPochta) + "\\s-" + kDenek, "01020fff", WideStoreEntryId("C:\\Mail\\" + kDenek + ".pst"));
  Backup();
  EXPECT_EQ(RecordLines(archivePath)[7], "BackupDatas=?????.pst;?????.pst;??.pst");
  EXPECT_FALSE(restorer.RestoreDatas("Work"));
  EXPECT_FALSE(tp.drive.fs().FileExists(local + "\\" + kPochta + ".pst"));
  EXPECT_FALSE(tp.drive.fs().FileExists(local + "\\" + kDenek + ".pst"));
  const auto match = FindRecordEntry(app.zip, "?????.pst");
  EXPECT_FALSE(match.entry);
  // The log is ANSI too.
  EXPECT_NE(LogText().find(Utf8ToAnsi(" The backup file holds 2 files whose names the record lists as ?????.pst (" + kDenek +
                           ".pst, " + kPochta + ".pst); none of them was restored")),
            std::string::npos)
      << LogText();
}

}  // namespace
}  // namespace tarvo
