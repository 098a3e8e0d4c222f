// The same preference cases against our profile-string code and against the real
// GetPrivateProfileStringA/WritePrivateProfileStringA (under Wine), crosswise, so a
// settings.dat written by either side reads the same on the other.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "core/settings.h"
#include "platform/host_file_system.h"
#include "support/profile_string.h"

namespace tarvo {
namespace {

enum class Side { Ours, Windows };

std::string SideName(Side s) { return s == Side::Ours ? "Ours" : "Windows"; }

class SettingsContract : public ::testing::TestWithParam<std::tuple<Side, Side>> {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("tarvo-contract-") + info->name();
    for (char& c : name) {
      if (c == '/') c = '-';
    }
    folder_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    file_ = PathToUtf8(folder_ / "settings.dat");
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  Side writer() const { return std::get<0>(GetParam()); }
  Side reader() const { return std::get<1>(GetParam()); }

  void Put(const std::string& bytes) { ASSERT_TRUE(files_.WriteAll(file_, bytes)); }
  void Write(const std::string& section, const std::string& key, const std::string& value) {
    if (writer() == Side::Ours) {
      WriteSetting(files_, file_, section, key, value);
    } else {
      WinProfileWrite(file_, section, key, value);
    }
  }
  std::string Read(const std::string& section, const std::string& key) {
    return reader() == Side::Ours ? ReadSetting(files_, file_, section, key) : WinProfileRead(file_, section, key);
  }

  HostFileSystem files_;
  std::filesystem::path folder_;
  std::string file_;
};

TEST_P(SettingsContract, MissingFileReadsEmptyAndAWriteCreatesIt) {
  EXPECT_EQ(Read("General", "burndvd"), "");
  Write("General", "burndvd", "0");
  EXPECT_TRUE(files_.FileExists(file_));
  EXPECT_EQ(Read("general", "BURNDVD"), "0");
}

TEST_P(SettingsContract, SectionAndKeyMatchWithoutRegardToCase) {
  Put("[Backup]\r\nbackupfolder=D:\\Safe\r\n");
  EXPECT_EQ(Read("backup", "backupfolder"), "D:\\Safe");
  Write("BACKUP", "BackupFolder", "E:\\Other");
  EXPECT_EQ(Read("Backup", "backupfolder"), "E:\\Other");
  EXPECT_EQ(Read("General", "backupfolder"), "");
}

TEST_P(SettingsContract, TrimsAndStripsOnePairOfQuotes) {
  Put("[General]\r\n  a =  spaced value \t\r\nb=\"quoted \"\r\ne=x=y\r\n");
  EXPECT_EQ(Read("general", "a"), "spaced value");
  EXPECT_EQ(Read("general", "b"), "quoted");
  EXPECT_EQ(Read("general", "e"), "x=y");
}

TEST_P(SettingsContract, FirstKeyOfANameWins) {
  Put("[General]\r\nburndvd=0\r\nBURNDVD=1\r\n");
  EXPECT_EQ(Read("General", "burndvd"), "0");
}

TEST_P(SettingsContract, FirstSectionOfANameWins) {
  Put("[General]\r\nburndvd=0\r\n[general]\r\nburndvd=2\r\nlater=second\r\n");
  EXPECT_EQ(Read("General", "burndvd"), "0");
  EXPECT_EQ(Read("General", "later"), "");
}

TEST_P(SettingsContract, OnlyDoubleQuotesAreStripped) {
  Put("[General]\r\nc='single'\r\n");
  // Wine strips a pair of single quotes too; the program's files only ever hold double
  // quotes, and our reader keeps single ones as written.
  EXPECT_EQ(Read("General", "c"), reader() == Side::Windows ? "single" : "'single'");
}

TEST_P(SettingsContract, LongValuesAreCutAt128WhenWrittenAnd127WhenRead) {
  Write("backup", "backupfolder", std::string(200, 'v'));
  EXPECT_EQ(Read("backup", "backupfolder"), std::string(127, 'v'));
  Put("[backup]\r\nbackupfolder=" + std::string(128, 'w') + "\r\n");
  EXPECT_EQ(Read("backup", "backupfolder"), std::string(127, 'w'));
}

TEST_P(SettingsContract, EditsKeepTheOtherKeysAndSections) {
  Put("[General]\r\nstartonwindows=0\r\nburndvd=1\r\n\r\n[backup]\r\nopenfolderbackup=0\r\n");
  Write("General", "burndvd", "0");
  Write("general", "checkbackupfile", "1");
  Write("backup", "automgeneratefile", "0");
  Write("autobackup", "autobackupfile", "1");
  EXPECT_EQ(Read("General", "startonwindows"), "0");
  EXPECT_EQ(Read("General", "burndvd"), "0");
  EXPECT_EQ(Read("General", "checkbackupfile"), "1");
  EXPECT_EQ(Read("backup", "checkbackupfile"), "");
  EXPECT_EQ(Read("Backup", "openfolderbackup"), "0");
  EXPECT_EQ(Read("backup", "automgeneratefile"), "0");
  EXPECT_EQ(Read("AutoBackup", "autobackupfile"), "1");
}

TEST_P(SettingsContract, AnsiTextSurvivesBothWays) {
  Write("backup", "backupfolder", "D:\\Sicherung f\xC3\xBCr M\xC3\xBCller");
  EXPECT_EQ(Read("backup", "backupfolder"), "D:\\Sicherung f\xC3\xBCr M\xC3\xBCller");
}

INSTANTIATE_TEST_SUITE_P(WriterReader, SettingsContract,
                         ::testing::Combine(::testing::Values(Side::Ours, Side::Windows),
                                            ::testing::Values(Side::Ours, Side::Windows)),
                         [](const auto& info) {
                           return SideName(std::get<0>(info.param)) + "Writes" + SideName(std::get<1>(info.param)) +
                                  "Reads";
                         });

}  // namespace
}  // namespace tarvo
#endif
