// A data file over 4 GiB goes through Zip64. Slow (it writes and reads gigabytes), so it runs
// only in the full test run, which sets TARVO_SLOW_TESTS=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "backup/zip_component.h"
#include "backup/zip_test_support.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

using namespace ziptest;

constexpr std::uint64_t kBigSize = 4ull * 1024 * 1024 * 1024 + 300ull * 1024 * 1024;

// Mostly holes, with marked blocks at the start, across the 4 GiB line and at the end.
void MakeSparseFile(const std::string& hostPath) {
  std::ofstream out(hostPath, std::ios::binary);
  for (const std::uint64_t at : {std::uint64_t{0}, std::uint64_t{0xFFFF0000}, kBigSize - 65536}) {
    out.seekp(static_cast<std::streamoff>(at));
    const std::string block = RandomBytes(65536, static_cast<unsigned>(at));
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
}

bool SameFiles(const std::string& a, const std::string& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  std::vector<char> ba(1 << 20), bb(1 << 20);
  while (fa && fb) {
    fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
    fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
    if (fa.gcount() != fb.gcount() || !std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) return false;
  }
  return fa.eof() && fb.eof();
}

TEST(ZipComponentSlow, DataFileOver4GiBRoundTripsThroughZip64) {
  const char* slow = std::getenv("TARVO_SLOW_TESTS");
  if (slow == nullptr || std::string(slow) != "1") GTEST_SKIP() << "set TARVO_SLOW_TESTS=1 to run";
  TempDrive drive;
  drive.MakeFolder("C:\\d");
  drive.MakeFolder("C:\\out");
  MakeSparseFile(drive.Host("C:\\d\\Big.pst"));
  drive.Put("C:\\d\\mailvault.dat", "BackupItem=01000000000\r\n");

  ZipComponent zip(drive.fs());
  for (const std::string password : {"", "PW"}) {
    SCOPED_TRACE(password.empty() ? "plain" : "protected");
    zip.NewArchive("C:\\out\\big.tvo");
    zip.AddFile("C:\\d\\Big.pst");
    zip.AddFile("C:\\d\\mailvault.dat");  // an entry after the big one needs Zip64 offsets
    zip.EncryptArchive = password.empty() ? 0 : 1;
    zip.WritePassword = password;
    ASSERT_TRUE(zip.WriteArchive()) << zip.LastError();
    zip.CloseArchive();

    ASSERT_TRUE(zip.OpenArchive("C:\\out\\big.tvo"));
    zip.ReadPassword = password;
    const auto entry = zip.GetEntry("Big.pst");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->size, kBigSize);
    ASSERT_TRUE(zip.ExtractTo(*entry, "C:\\r")) << zip.LastError();
    EXPECT_TRUE(SameFiles(drive.Host("C:\\d\\Big.pst"), drive.Host("C:\\r\\Big.pst")));
    EXPECT_TRUE(zip.GetEntry("mailvault.dat") && zip.VerifyEntry(*zip.GetEntry("mailvault.dat")));
    zip.CloseArchive();
    drive.fs().DeleteFile("C:\\r\\Big.pst");

    if (HaveSevenZip()) {
      const std::string pw = password.empty() ? "" : " -p" + password;
      EXPECT_TRUE(RunQuiet("7z t" + pw + " " + Quote(drive.Host("C:\\out\\big.tvo"))));
      ASSERT_TRUE(RunQuiet("7z e -y" + pw + " -o" + Quote(drive.Host("C:\\r")) + " " +
                           Quote(drive.Host("C:\\out\\big.tvo")) + " Big.pst"));
      EXPECT_TRUE(SameFiles(drive.Host("C:\\d\\Big.pst"), drive.Host("C:\\r\\Big.pst")));
      drive.fs().DeleteFile("C:\\r\\Big.pst");
    }
  }
}

}  // namespace
}  // namespace tarvo
