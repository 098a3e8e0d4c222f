#include <gtest/gtest.h>

#include "core/record.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

const std::string kRecord = "C:\\Tarvo\\mailvault.dat";

class Record : public ::testing::Test {
 protected:
  void SetUp() override { drive.MakeFolder("C:\\Tarvo"); }
  std::string Get(const std::string& key) { return GetINI(drive.fs(), key, kRecord); }
  TempDrive drive;
};

TEST_F(Record, ScanStopsAtTheFirstEmptyLine) {
  drive.Put(kRecord, "A=1\r\n\r\nB=2\r\n");
  EXPECT_EQ(Get("B"), "");
  EXPECT_EQ(Get("a"), "1");
  drive.Put(kRecord, "\r\nA=1\r\n");
  EXPECT_EQ(Get("A"), "");
  drive.Put(kRecord, "A=1\n\nB=2\n");
  EXPECT_EQ(Get("B"), "");
}

TEST_F(Record, ValueIsEverythingAfterTheFirstEqualsSign) {
  drive.Put(kRecord, "[section]\r\nnote\r\nBackupTime=x=y\r\nPad = keep blanks \r\nLast=no line end");
  EXPECT_EQ(Get("backuptime"), "x=y");
  EXPECT_EQ(Get("Pad "), " keep blanks ");
  EXPECT_EQ(Get("Pad"), "");  // the key is not trimmed
  EXPECT_EQ(Get("last"), "no line end");
  EXPECT_EQ(Get("[section]"), "");
  EXPECT_EQ(Get("note"), "");
}

TEST_F(Record, SaveAppendsAndTheFirstValueWins) {
  SaveINI(drive.fs(), "ComputerName", "PC1", kRecord);
  SaveINI(drive.fs(), "computername", "PC2", kRecord);
  SaveINI(drive.fs(), "Note", "Gr\xC3\xBC\xC3\x9F" "e", kRecord);  // Grüße
  EXPECT_EQ(drive.Get(kRecord), "ComputerName=PC1\r\ncomputername=PC2\r\nNote=Gr\xFC\xDF" "e\r\n");
  EXPECT_EQ(Get("COMPUTERNAME"), "PC1");
  EXPECT_EQ(Get("note"), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST_F(Record, UnreadableOrUnwritableFilesRaise) {
  EXPECT_THROW(Get("A"), RecordError);
  EXPECT_THROW(SaveINI(drive.fs(), "A", "1", "C:\\missing\\mailvault.dat"), RecordError);
  EXPECT_THROW(SaveINI(drive.fs(), "A", "1", "C:\\Tarvo"), RecordError);
}

TEST_F(Record, TempFilesAreNewEmptyFilesInTheFolder) {
  const std::string a = sGetTempFile(drive.fs(), "C:\\Tarvo", "OBA");
  const std::string b = sGetTempFile(drive.fs(), "C:\\Tarvo", "OBA");
  EXPECT_NE(a, b);
  for (const auto& p : {a, b}) {
    EXPECT_EQ(ParentFolder(p), "C:\\Tarvo");
    EXPECT_EQ(BareName(p).substr(0, 3), "OBA");
    EXPECT_EQ(drive.fs().FileSize(p), 0u);
  }
}

TEST_F(Record, LogLinesAreAppendedInAnsiWithCrLf) {
  EXPECT_TRUE(AppendLogLine(drive.fs(), "C:\\Tarvo\\brlog.dat", "Backup caf\xC3\xA9"));
  EXPECT_TRUE(AppendLogLine(drive.fs(), "C:\\Tarvo\\brlog.dat", ""));
  EXPECT_EQ(drive.Get("C:\\Tarvo\\brlog.dat"), "Backup caf\xE9\r\n\r\n");
  EXPECT_FALSE(AppendLogLine(drive.fs(), "C:\\missing\\brlog.dat", "x"));
}

}  // namespace
}  // namespace tarvo
