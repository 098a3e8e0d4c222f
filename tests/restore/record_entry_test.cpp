// Record names written on a machine of another code page: the record holds the names in
// that machine's bytes, the archive keeps them whole.
#include "backup/record_entry.h"
#include "restore_fixture.h"

namespace tarvo {
namespace {

const std::string kPochta = "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0";  // Почта
const std::string kYoujian = "\xE9\x82\xAE\xE4\xBB\xB6";                  // 邮件

TEST(NameFitsRecordForm, AsciiKeptAndEachOtherRunStoredAsOtherCharactersOrQuestionMarks) {
  struct Case {
    std::string name, record;
    bool fits;
  };
  const Case cases[] = {
      {kPochta + ".pst", "\xC3\x8F\xC3\xAE\xC3\xB7\xC3\xB2\xC3\xA0.pst", true},  // Windows-1251 read as 1252
      {kPochta + ".pst", "?????.PST", true},
      {kYoujian + ".pst", "\xC3\x93\xC3\x8A\xC2\xBC\xC3\xBE.pst", true},  // GBK read as 1252
      {kPochta + " 2.pst", "????? 2.pst", true},
      {kPochta + " 2.pst", "?????2.pst", false},
      {kPochta + " 2.pst", "??? 2.pst", false},
      {kPochta + ".pst", "?????.ost", false},
      {kPochta + ".pst", ".pst", false},
      {kYoujian + ".pst", "\xC3\x8F\xC3\xAE\xC3\xB7\xC3\xB2\xC3\xA0.pst", false},  // five bytes are not two characters
      {"Outlook.pst", "outlook.pst", false},  // plain names are found by name alone
  };
  for (const Case& c : cases) EXPECT_EQ(NameFitsRecordForm(c.name, c.record), c.fits) << c.name << " " << c.record;
}

class OtherCodePageTest : public RestoreFixture {};

TEST_F(OtherCodePageTest, DataFilesOfACyrillicAndAChineseMachineAreRestored) {
  // As Windows-1251 and GBK machines write the names into the record.
  BuildArchive("C:\\b.tvo", {{kPochta + ".pst", "!BDN one"}, {kYoujian + ".pst", "!BDN two"}},
               Record({{"BackupDatas", "\xCF\xEE\xF7\xF2\xE0.pst;\xD3\xCA\xBC\xFE.pst"}}, "01000000000"));
  Open("C:\\b.tvo");
  ASSERT_FALSE(app.state.NoArchiveLoaded);
  SeedValue(ProfileKey() + "\\s", "01020fff", kRegBinary, StoreEntryId("D:\\old\\x.pst"));
  ASSERT_TRUE(restorer.RestoreDatas("Work"));
  EXPECT_EQ(tp.drive.Get(std::string(kLocalOutlook) + "\\" + kPochta + ".pst"), "!BDN one");
  EXPECT_EQ(tp.drive.Get(std::string(kLocalOutlook) + "\\" + kYoujian + ".pst"), "!BDN two");
}

}  // namespace
}  // namespace tarvo
