#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/host_file_system.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

TEST(HostFileSystem, ResolvesEachComponentWithoutRegardToCase) {
  TempDrive d;
  d.Put("C:\\Users\\Tester\\Mail\\Outlook.PST", "pst");
  auto& files = d.fs();
  EXPECT_TRUE(files.FileExists("c:\\users\\TESTER\\mail\\outlook.pst"));
  EXPECT_TRUE(files.FolderExists("C:\\USERS\\tester"));
  EXPECT_FALSE(files.FolderExists("C:\\Users\\Tester\\Mail\\Outlook.PST"));
  EXPECT_FALSE(files.FileExists("C:\\Users\\Tester\\Mail"));
  EXPECT_EQ(files.ReadAll("C:\\users\\tester\\mail\\OUTLOOK.pst"), "pst");
  EXPECT_EQ(files.StoredName("c:\\users\\tester\\mail\\outlook.pst"), "Outlook.PST");
  EXPECT_EQ(files.StoredName("c:\\users\\tester\\MAIL"), "Mail");
  EXPECT_EQ(files.StoredName("C:\\Users\\nobody.pst"), std::nullopt);
  EXPECT_EQ(files.FileSize("C:\\USERS\\TESTER\\MAIL\\OUTLOOK.PST"), 3u);
  // Latin-1 letters fold too, as NTFS folds them.
  d.Put("C:\\Ärger\\café.txt", "x");
  EXPECT_TRUE(files.FileExists("C:\\äRGER\\CAFÉ.TXT"));
}

TEST(HostFileSystem, NewNamesKeepTheExistingFoldersAsStored) {
  TempDrive d;
  d.MakeFolder("C:\\Data");
  auto& files = d.fs();
  ASSERT_TRUE(files.WriteAll("C:\\DATA\\new.txt", "abc"));
  EXPECT_EQ(PathFromUtf8(d.Host("C:\\data\\new.txt")), PathFromUtf8(d.root()) / "C" / "Data" / "new.txt");
  EXPECT_TRUE(files.CreateFolder("c:\\data\\Sub"));
  EXPECT_TRUE(files.CreateFolder("c:\\data\\SUB"));  // exists afterwards: true
  EXPECT_FALSE(files.CreateFolder("C:\\missing\\level"));  // only the last level is made
  EXPECT_FALSE(files.WriteAll("C:\\missing\\x.txt", "x"));
  EXPECT_FALSE(files.WriteAll("C:\\Data\\Sub", "x"));  // a folder is not a file
}

TEST(HostFileSystem, UnmappedDrivesAndPathsFail) {
  TempDrive d;
  auto& files = d.fs();
  EXPECT_FALSE(files.FolderExists("Q:\\"));
  EXPECT_FALSE(files.WriteAll("Q:\\x.txt", "x"));
  EXPECT_FALSE(files.FileExists("relative.txt"));
  EXPECT_EQ(files.ReadAll("Q:\\x.txt"), std::nullopt);
  d.AddDrive('q');
  EXPECT_TRUE(files.WriteAll("Q:\\x.txt", "x"));
  EXPECT_TRUE(files.FolderExists("q:\\"));
}

TEST(HostFileSystem, DotDotCannotClimbOutOfTheDrive) {
  TempDrive d;
  d.Put("C:\\a\\f.txt", "in");
  EXPECT_EQ(d.fs().ReadAll("C:\\a\\b\\..\\f.txt"), "in");
  EXPECT_EQ(PathFromUtf8(d.Host("C:\\..\\..\\etc")), PathFromUtf8(d.root()) / "C" / "etc");
}

TEST(HostFileSystem, ListFilesGivesDirectFilesInUpperCasedOrder) {
  TempDrive d;
  d.Put("C:\\s\\b.htm", "");
  d.Put("C:\\s\\A.txt", "");
  d.Put("C:\\s\\_x.rtf", "");
  d.Put("C:\\s\\c", "");
  d.Put("C:\\s\\Sub\\inner.txt", "");
  auto names = d.fs().ListFiles("C:\\S");
  ASSERT_TRUE(names);
#ifdef _WIN32
  std::sort(names->begin(), names->end(), NameLessNoCase);  // the platform's order there
#endif
  EXPECT_EQ(*names, (std::vector<std::string>{"A.txt", "b.htm", "c", "_x.rtf"}));
  d.MakeFolder("C:\\empty");
  EXPECT_EQ(d.fs().ListFiles("C:\\empty"), std::vector<std::string>{});
  EXPECT_EQ(d.fs().ListFiles("C:\\nothere"), std::nullopt);
  EXPECT_EQ(d.fs().ListFiles("C:\\s\\A.txt"), std::nullopt);
}

TEST(HostFileSystem, RenameRefusesAnExistingTargetButReplaceOverwrites) {
  TempDrive d;
  auto& files = d.fs();
  d.Put("C:\\w\\new.tmp", "new");
  d.Put("C:\\w\\Old.pst", "old");
  EXPECT_FALSE(files.RenameFile("C:\\w\\new.tmp", "C:\\w\\old.pst"));
  EXPECT_EQ(d.Get("C:\\w\\Old.pst"), "old");
  EXPECT_FALSE(files.RenameFile("C:\\w\\gone.tmp", "C:\\w\\x"));

  EXPECT_TRUE(files.ReplaceFile("C:\\w\\NEW.tmp", "C:\\w\\old.pst"));
  EXPECT_FALSE(files.FileExists("C:\\w\\new.tmp"));
  EXPECT_EQ(d.Get("C:\\w\\Old.pst"), "new");
  // The stored name of the replaced file stays; no second file with other case appears.
  EXPECT_EQ(files.ListFiles("C:\\w"), std::vector<std::string>{"Old.pst"});

  EXPECT_TRUE(files.RenameFile("C:\\w\\Old.pst", "C:\\w\\Moved.pst"));
  EXPECT_EQ(d.Get("C:\\w\\moved.pst"), "new");
  // A change of letter case alone is allowed, as on Windows.
  EXPECT_TRUE(files.RenameFile("C:\\w\\Moved.pst", "C:\\w\\MOVED.pst"));
  EXPECT_EQ(files.StoredName("C:\\w\\moved.pst"), "MOVED.pst");
  EXPECT_FALSE(files.ReplaceFile("C:\\w\\none", "C:\\w\\MOVED.pst"));
  EXPECT_EQ(d.Get("C:\\w\\MOVED.pst"), "new");
}

TEST(HostFileSystem, AppendCreatesAndDeleteRemovesOnlyFiles) {
  TempDrive d;
  auto& files = d.fs();
  d.MakeFolder("C:\\log");
  EXPECT_TRUE(files.Append("C:\\log\\brlog.dat", "a\r\n"));
  EXPECT_TRUE(files.Append("C:\\LOG\\BRLOG.DAT", "b\r\n"));
  EXPECT_EQ(d.Get("C:\\log\\brlog.dat"), "a\r\nb\r\n");
  EXPECT_FALSE(files.Append("C:\\log", "x"));
  EXPECT_FALSE(files.DeleteFile("C:\\log"));
  EXPECT_TRUE(files.DeleteFile("C:\\Log\\brlog.DAT"));
  EXPECT_FALSE(files.DeleteFile("C:\\log\\brlog.dat"));
}

// A direct copy between two streams continues where reads and writes left off, and both
// go on from where it stopped; at the source's end it copies what is there.
TEST(HostFileSystem, DirectCopiesKeepBothStreamPositions) {
  TempDrive d;
  auto& files = d.fs();
  d.Put("C:\\in.bin", "0123456789abcdef");
  auto in = files.OpenRead("C:\\in.bin");
  auto out = files.OpenWrite("C:\\out.bin");
  ASSERT_TRUE(in && out);
  char head[2];
  ASSERT_EQ(in->Read(head, 2), 2u);
  ASSERT_TRUE(out->Write("<", 1));
  const std::uint64_t copied = out->CopyFrom(*in, 8);
  // Systems without an in-kernel copy leave all of it to the caller.
  if (copied == 0) GTEST_SKIP() << "no direct copy here";
  EXPECT_EQ(copied, 8u);
  char next[2];
  ASSERT_EQ(in->Read(next, 2), 2u);
  EXPECT_EQ(std::string(next, 2), "ab");
  ASSERT_TRUE(out->Write(">", 1));
  EXPECT_EQ(out->CopyFrom(*in, 100), 4u);
  EXPECT_EQ(out->CopyFrom(*in, 100), 0u);
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(d.Get("C:\\out.bin"), "<23456789>cdef");
}

TEST(HostFileSystem, SetNormalAttributesMakesAReadOnlyFileWritable) {
  TempDrive d;
  d.Put("C:\\ro.pst", "x");
  fs::permissions(d.Host("C:\\ro.pst"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_TRUE(d.fs().SetNormalAttributes("C:\\ro.pst"));
  EXPECT_TRUE((fs::status(d.Host("C:\\ro.pst")).permissions() & fs::perms::owner_write) != fs::perms::none);
  EXPECT_FALSE(d.fs().SetNormalAttributes("C:\\none.pst"));
}

TEST(HostFileSystem, TempFilesAreNamedLikeGetTempFileName) {
  TempDrive d;
  d.MakeFolder("C:\\prog");
  auto& files = d.fs();
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    const std::string path = files.CreateTempFile("C:\\prog", "OBAccounts");
    ASSERT_EQ(ParentFolder(path), "C:\\prog");
    const std::string name = BareName(path);
    ASSERT_GE(name.size(), 8u);
    ASSERT_LE(name.size(), 11u);
    EXPECT_EQ(name.substr(0, 3), "OBA");
    EXPECT_EQ(name.substr(name.size() - 4), ".TMP");
    const std::string hex = name.substr(3, name.size() - 7);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << name;
    EXPECT_NE(hex, "0");
    EXPECT_EQ(files.FileSize(path), 0u);
    EXPECT_TRUE(seen.insert(path).second) << "name given twice: " << path;
  }
  // A short prefix is used whole; a missing folder gives a path of no file.
  EXPECT_EQ(BareName(files.CreateTempFile("C:\\prog", "x")).substr(0, 1), "x");
  const std::string failed = files.CreateTempFile("C:\\nofolder", "OBA");
  EXPECT_EQ(ParentFolder(failed), "C:\\nofolder");
  EXPECT_FALSE(files.FileExists(failed));
}

TEST(HostFileSystem, TempFileNamesNeverSplitACharacter) {
  TempDrive d;
  const std::string path = d.fs().CreateTempFile("C:\\", "ééééé");
  EXPECT_EQ(BareName(path).substr(0, 6), "ééé");
  EXPECT_TRUE(d.fs().FileExists(path));
}

TEST(TempDrive, RemovesEverythingIncludingReadOnlyFiles) {
  std::string root;
  {
    TempDrive d("CD");
    root = d.root();
    d.Put("D:\\deep\\er\\file.txt", "x");
    fs::permissions(d.Host("D:\\deep\\er"), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(d.Get("d:\\DEEP\\er\\FILE.txt"), "x");
    EXPECT_THROW(d.Get("D:\\none"), std::runtime_error);
  }
  EXPECT_FALSE(fs::exists(root));
}

}  // namespace
}  // namespace tarvo

#ifdef _WIN32
#include "support/short_path.h"

namespace tarvo {
namespace {

// The Windows build uses real paths as they are.
TEST(HostFileSystemWindows, ShortNamesGiveTheLongStoredNameAndRenamesBehave) {
  HostFileSystem files;
  const std::string dir = PathToUtf8(fs::temp_directory_path() / "tarvo-hfs-test");
  fs::remove_all(PathFromUtf8(dir));
  ASSERT_TRUE(files.CreateFolder(dir));
  const std::string longPath = JoinPath(dir, "A Long Outlook Data File.pst");
  ASSERT_TRUE(files.WriteAll(longPath, "new"));
  const std::string shortPath = ShortPathOf(longPath);
  ASSERT_FALSE(shortPath.empty());
  EXPECT_NE(BareName(shortPath), "A Long Outlook Data File.pst");
  EXPECT_EQ(files.StoredName(shortPath), "A Long Outlook Data File.pst");
  EXPECT_EQ(files.StoredName(JoinPath(dir, "a long outlook data file.PST")), "A Long Outlook Data File.pst");

  ASSERT_TRUE(files.WriteAll(JoinPath(dir, "old.pst"), "old"));
  EXPECT_FALSE(files.RenameFile(longPath, JoinPath(dir, "OLD.pst")));
  EXPECT_TRUE(files.ReplaceFile(longPath, JoinPath(dir, "old.pst")));
  EXPECT_EQ(files.ReadAll(JoinPath(dir, "old.pst")), "new");
  EXPECT_FALSE(files.FileExists(longPath));
  EXPECT_TRUE(files.RenameFile(JoinPath(dir, "old.pst"), JoinPath(dir, "OLD.pst")));
  EXPECT_EQ(files.StoredName(JoinPath(dir, "old.pst")), "OLD.pst");
  fs::remove_all(PathFromUtf8(dir));
}

}  // namespace
}  // namespace tarvo
#endif
