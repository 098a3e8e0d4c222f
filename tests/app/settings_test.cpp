#include <gtest/gtest.h>

#include <string>

#include "core/settings.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

const std::string kFile = "C:\\Tarvo\\settings.dat";

class Settings : public ::testing::Test {
 protected:
  void SetUp() override { drive.MakeFolder("C:\\Tarvo"); }
  std::string Read(const std::string& section, const std::string& key) {
    return ReadSetting(drive.fs(), kFile, section, key);
  }
  void Write(const std::string& section, const std::string& key, const std::string& value) {
    WriteSetting(drive.fs(), kFile, section, key, value);
  }
  TempDrive drive;
};

TEST_F(Settings, SectionsAndKeysMatchWithoutRegardToCase) {
  drive.Put(kFile, "[Backup]\r\nbackupfolder=D:\\Safe\r\n");
  EXPECT_EQ(Read("backup", "backupfolder"), "D:\\Safe");
  EXPECT_EQ(Read("BACKUP", "BackupFolder"), "D:\\Safe");
  EXPECT_EQ(Read("General", "backupfolder"), "");
  EXPECT_EQ(Read("backup", "burndvd"), "");
}

TEST_F(Settings, FirstSectionAndFirstKeyWin) {
  drive.Put(kFile,
            "orphan=before any section\r\n"
            "[General]\r\nburndvd=0\r\nBURNDVD=1\r\n"
            "[general]\r\nburndvd=2\r\nlater=only in the second\r\n");
  EXPECT_EQ(Read("general", "burndvd"), "0");
  EXPECT_EQ(Read("General", "later"), "");
  EXPECT_EQ(Read("", "orphan"), "");
}

TEST_F(Settings, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
  drive.Put(kFile,
            "  [ General ]  \n"
            "  a =  spaced value \t\n"
            "b=\"quoted \"\n"
            "c=\"\"twice\"\"\n"
            "d=\"open\n"
            "e=x=y\n"
            "no equals sign\n"
            "f=");
  EXPECT_EQ(Read("general", "a"), "spaced value");
  EXPECT_EQ(Read("general", "b"), "quoted");
  EXPECT_EQ(Read("general", "c"), "\"twice\"");
  EXPECT_EQ(Read("general", "d"), "\"open");
  EXPECT_EQ(Read("general", "e"), "x=y");
  EXPECT_EQ(Read("general", "no equals sign"), "");
  EXPECT_EQ(Read("general", "f"), "");
}

TEST_F(Settings, MissingFileReadsEmpty) {
  EXPECT_EQ(Read("General", "burndvd"), "");
  EXPECT_EQ(ReadSetting(drive.fs(), "C:\\nowhere\\settings.dat", "General", "x"), "");
}

TEST_F(Settings, WriteCreatesFileSectionAndKeyAndReadsBack) {
  Write("General", "burndvd", "0");
  EXPECT_EQ(drive.Get(kFile), "[General]\r\nburndvd=0\r\n");
  Write("Backup", "backupfolder", "D:\\Safe");
  Write("general", "runoutlookafterbackup", "1");
  EXPECT_EQ(drive.Get(kFile),
            "[General]\r\nburndvd=0\r\nrunoutlookafterbackup=1\r\n"
            "[Backup]\r\nbackupfolder=D:\\Safe\r\n");
  EXPECT_EQ(Read("backup", "BACKUPFOLDER"), "D:\\Safe");
}

TEST_F(Settings, ReplacesInPlaceKeepingEveryOtherLine) {
  const std::string before =
      "; delivered with the program\r\n"
      "[General]\r\n"
      "Burndvd = 1\r\n"
      "startonwindows=0\r\n"
      "\r\n"
      "[backup]\n"
      "openfolderbackup=1\n";
  drive.Put(kFile, before);
  Write("GENERAL", "burndvd", "0");
  Write("backup", "automgeneratefile", "0");
  Write("General", "checkbackupfile", "1");
  EXPECT_EQ(drive.Get(kFile),
            "; delivered with the program\r\n"
            "[General]\r\n"
            "Burndvd=0\r\n"
            "startonwindows=0\r\n"
            "checkbackupfile=1\r\n"
            "\r\n"
            "[backup]\n"
            "openfolderbackup=1\n"
            "automgeneratefile=0\r\n");
  // No work file is left beside the settings.
  EXPECT_EQ(drive.fs().ListFiles("C:\\Tarvo"), std::vector<std::string>{"settings.dat"});
}

TEST_F(Settings, LastLineWithoutLineEndIsCompletedBeforeAppending) {
  drive.Put(kFile, "[General]\r\nburndvd=1");
  Write("General", "x", "2");
  Write("autobackup", "autobackupfile", "0");
  EXPECT_EQ(drive.Get(kFile), "[General]\r\nburndvd=1\r\nx=2\r\n[autobackup]\r\nautobackupfile=0\r\n");
}

TEST_F(Settings, WritesAtMost128AndReadsAtMost127Characters) {
  const std::string value(200, 'v');
  Write("backup", "backupfolder", value);
  EXPECT_EQ(drive.Get(kFile), "[backup]\r\nbackupfolder=" + std::string(128, 'v') + "\r\n");
  EXPECT_EQ(Read("backup", "backupfolder"), std::string(127, 'v'));
  // A cut that leaves a trailing blank is trimmed again.
  Write("backup", "k", std::string(126, 'a') + " b");
  EXPECT_EQ(Read("backup", "k"), std::string(126, 'a'));
}

TEST_F(Settings, StoresTextInTheAnsiCodePage) {
  Write("backup", "backupfolder", "D:\\Sicherung f\xC3\xBCr M\xC3\xBCller");  // für Müller
  EXPECT_EQ(drive.Get(kFile), "[backup]\r\nbackupfolder=D:\\Sicherung f\xFCr M\xFCller\r\n");
  EXPECT_EQ(Read("Backup", "backupfolder"), "D:\\Sicherung f\xC3\xBCr M\xC3\xBCller");
}

TEST_F(Settings, UnreadableFileIsNeverOverwritten) {
  drive.MakeFolder(kFile);  // a folder where the file should be
  Write("General", "burndvd", "0");
  EXPECT_TRUE(drive.fs().FolderExists(kFile));
  EXPECT_EQ(Read("General", "burndvd"), "");
}

TEST(FlagRule, OffOnlyForNumbersOtherThanOne) {
  for (const char* on : {"1", " 1", "1.0", "+1", "1e0", "", "yes", "on", "0x1", "1a", "-"}) {
    EXPECT_TRUE(FlagOn(on)) << '"' << on << '"';
  }
  for (const char* off : {"0", "2", "-1", "0.0", "1.5", " 0 ", ".5", "00"}) {
    EXPECT_FALSE(FlagOn(off)) << '"' << off << '"';
  }
}

TEST_F(Settings, ReadFlagAppliesTheRuleToTheStoredText) {
  drive.Put(kFile, "[General]\r\nburndvd=0\r\nrunoutlookafterbackup=yes\r\n");
  EXPECT_FALSE(ReadFlag(drive.fs(), kFile, "general", "burndvd"));
  EXPECT_TRUE(ReadFlag(drive.fs(), kFile, "general", "runoutlookafterbackup"));
  EXPECT_TRUE(ReadFlag(drive.fs(), kFile, "general", "runoutlookafterrestore"));
  EXPECT_TRUE(ReadFlag(drive.fs(), "C:\\none.dat", "general", "burndvd"));
}

TEST(BackupFolderRule, EmptyOrZeroMeansTheProgramFolder) {
  EXPECT_EQ(BackupFolderFromSetting("", "C:\\Tarvo"), "C:\\Tarvo");
  EXPECT_EQ(BackupFolderFromSetting("0", "C:\\Tarvo"), "C:\\Tarvo");
  EXPECT_EQ(BackupFolderFromSetting("  ", "C:\\Tarvo"), "C:\\Tarvo");
  EXPECT_EQ(BackupFolderFromSetting("D:\\Safe", "C:\\Tarvo"), "D:\\Safe");
  EXPECT_EQ(BackupFolderFromSetting("1", "C:\\Tarvo"), "1");
}

}  // namespace
}  // namespace tarvo
