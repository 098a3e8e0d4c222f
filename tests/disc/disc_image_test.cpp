// The image model's rules: names, replacing, renaming, removing, counting, and the names
// the ISO 9660 tree records.
#include <gtest/gtest.h>

#include "disc/disc_image.h"
#include "disc/disc_names.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

// Records events as "Added \a", "Removed \a", ...
struct Recorder : DiscEvents {
  std::vector<std::string> log;
  bool replace = false;
  void ItemAdded(const ImageItem& i) override { log.push_back("Added " + i.ImagePath); }
  void ItemRemoved(const ImageItem& i) override { log.push_back("Removed " + i.ImagePath); }
  void ItemRenamed(const ImageItem& i) override { log.push_back("Renamed " + i.OldImagePath + " " + i.ImagePath); }
  void ItemListed(const ImageItem& i) override { log.push_back("Listed " + i.Name); }
  void ReplaceQuery(const ImageItem& i, const std::string& source, bool& answer) override {
    log.push_back("Replace? " + i.ImagePath + " " + source);
    answer = replace;
  }
  void ImageCleared() override { log.push_back("Cleared"); }
};

class DiscImageTest : public ::testing::Test {
 protected:
  DiscImageTest() {
    drive.Put("C:\\src\\a.txt", "aaa");
    drive.Put("C:\\src\\b.txt", "bbbbb");
    drive.Put("C:\\src\\sub\\c.txt", "c");
    drive.Put("C:\\src\\sub\\deeper\\d.txt", "");
    image.SetEvents(&events);
  }
  TempDrive drive;
  DiscImage image{drive.fs()};
  Recorder events;
};

TEST_F(DiscImageTest, NamesWindowsForbidsAreRefusedNotChanged) {
  const struct {
    const char* path;
    bool added;
  } cases[] = {
      {"\\plain.txt", true},       {"\\with space.txt", true}, {"\\naïve.txt", true},
      {"\\a<b.txt", false},        {"\\a:b.txt", false},       {"\\a?.txt", false},
      {"\\a*.txt", false},         {"\\a|b", false},           {"\\quote\".txt", false},
      {"\\trailing.", false},      {"\\trailing ", false},     {"\\CON", false},
      {"\\lpt1.txt", false},       {"\\", false},              {"no-backslash.txt", false},
      {"\\dir\\\\x.txt", false},   {"\\new\\nested.txt", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(image.AddImageFile("C:\\src\\a.txt", c.path), c.added) << c.path;
    if (c.added) {
      EXPECT_NE(image.Find(c.path), nullptr) << c.path;
    }
  }
  EXPECT_FALSE(image.AddImageFile("C:\\src\\missing.txt", "\\missing.txt"));
  EXPECT_EQ(image.FileCount(), 4);
  EXPECT_EQ(image.FolderCount(), 1);  // "\new", made for the nested file
}

TEST_F(DiscImageTest, FolderPatternAddsEverythingBelowWithParentsFirst) {
  ASSERT_TRUE(image.AddImageFolder("C:\\src\\*.*", "\\backup"));
  EXPECT_EQ(events.log, (std::vector<std::string>{"Added \\backup", "Added \\backup\\a.txt", "Added \\backup\\b.txt",
                                                  "Added \\backup\\sub", "Added \\backup\\sub\\c.txt",
                                                  "Added \\backup\\sub\\deeper", "Added \\backup\\sub\\deeper\\d.txt"}));
  EXPECT_EQ(image.FileCount(), 4);
  EXPECT_EQ(image.FolderCount(), 3);
  const ImageItem* b = image.Find("\\BACKUP\\B.TXT");  // any case finds it
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Size, 5);
  EXPECT_EQ(b->Parent, "\\backup");
  EXPECT_EQ(b->SourcePath, "C:\\src\\b.txt");
  EXPECT_NE(b->Date, 0);
  EXPECT_FALSE(image.AddImageFolder("C:\\nothing\\*.*", "\\x"));
}

TEST_F(DiscImageTest, AddingAtATakenPathAsksAndARefusalKeepsTheOldItem) {
  ASSERT_TRUE(image.AddImageFile("C:\\src\\a.txt", "\\same.txt"));
  events.log.clear();
  EXPECT_FALSE(image.AddImageFile("C:\\src\\b.txt", "\\SAME.TXT"));
  EXPECT_EQ(image.Find("\\same.txt")->SourcePath, "C:\\src\\a.txt");
  events.replace = true;
  EXPECT_TRUE(image.AddImageFile("C:\\src\\b.txt", "\\Same.txt"));
  EXPECT_EQ(image.Find("\\same.txt")->SourcePath, "C:\\src\\b.txt");
  EXPECT_EQ(image.Find("\\same.txt")->Size, 5);
  EXPECT_EQ(events.log, (std::vector<std::string>{"Replace? \\same.txt C:\\src\\b.txt",
                                                  "Replace? \\same.txt C:\\src\\b.txt", "Added \\same.txt"}));
  EXPECT_EQ(image.FileCount(), 1);
  // A folder is never replaced by a file, nor a file used as a folder.
  ASSERT_TRUE(image.AddImageFolder("C:\\src\\sub\\*.*", "\\sub"));
  EXPECT_FALSE(image.AddImageFile("C:\\src\\a.txt", "\\sub"));
  EXPECT_FALSE(image.AddImageFile("C:\\src\\a.txt", "\\same.txt\\inner.txt"));
}

TEST_F(DiscImageTest, RenamesMoveEverythingBelowAndRefuseClashes) {
  ASSERT_TRUE(image.AddImageFolder("C:\\src\\*.*", "\\b"));
  events.log.clear();
  EXPECT_FALSE(image.RenameFolder("\\b\\sub", "a.txt"));    // a sibling has that name
  EXPECT_FALSE(image.RenameFolder("\\b\\a.txt", "x"));      // a file, not a folder
  EXPECT_FALSE(image.RenameFile("\\b\\sub", "x"));          // a folder, not a file
  EXPECT_FALSE(image.RenameFolder("\\", "root"));
  EXPECT_FALSE(image.RenameFile("\\b\\a.txt", "bad|name"));
  EXPECT_TRUE(events.log.empty());
  ASSERT_TRUE(image.RenameFolder("\\b\\sub", "Moved"));
  EXPECT_EQ(events.log, (std::vector<std::string>{"Renamed \\b\\sub \\b\\Moved", "Renamed \\b\\sub\\c.txt \\b\\Moved\\c.txt",
                                                  "Renamed \\b\\sub\\deeper \\b\\Moved\\deeper",
                                                  "Renamed \\b\\sub\\deeper\\d.txt \\b\\Moved\\deeper\\d.txt"}));
  const ImageItem* d = image.Find("\\b\\moved\\deeper\\d.txt");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Parent, "\\b\\Moved\\deeper");
  EXPECT_EQ(image.Find("\\b\\sub\\c.txt"), nullptr);
  EXPECT_TRUE(image.RenameFile("\\b\\a.txt", "A.TXT"));  // a change of case only
  EXPECT_EQ(image.Find("\\b\\a.txt")->Name, "A.TXT");
}

TEST_F(DiscImageTest, RemoveListAndClear) {
  ASSERT_TRUE(image.AddImageFolder("C:\\src\\*.*", "\\"));
  events.log.clear();
  image.ListFolder("\\");
  EXPECT_EQ(events.log, (std::vector<std::string>{"Listed a.txt", "Listed b.txt", "Listed sub"}));
  events.log.clear();
  EXPECT_FALSE(image.RemoveItem("\\"));
  EXPECT_FALSE(image.RemoveItem("\\nothing"));
  ASSERT_TRUE(image.RemoveItem("\\SUB"));
  EXPECT_EQ(events.log, (std::vector<std::string>{"Removed \\sub\\deeper\\d.txt", "Removed \\sub\\deeper",
                                                  "Removed \\sub\\c.txt", "Removed \\sub"}));
  EXPECT_EQ(image.FileCount(), 2);
  EXPECT_EQ(image.FolderCount(), 0);
  image.Clear();
  EXPECT_EQ(events.log.back(), "Cleared");
  EXPECT_EQ(image.FileCount(), 0);
  EXPECT_NE(image.Find("\\"), nullptr);
}

TEST(DiscNamesTest, IsoNamesUseDCharactersWithinLimitsAndStayUnique) {
  std::vector<std::string> taken;
  const struct {
    const char* name;
    bool folder;
    const char* iso;
  } cases[] = {
      {"report.pdf", false, "REPORT.PDF"},
      {"Report.PDF", false, "REPORT~1.PDF"},
      {"naïve café.txt", false, "NA_VE_CAF_.TXT"},
      {"noext", false, "NOEXT."},
      {"archive.tar.gz", false, "ARCHIVE_TAR.GZ"},
      {"a-very-long-name-that-goes-on-and-on.backup", false, "A_VERY_LONG_NAME_THAT_GO.BACKUP"},
      {"a-very-long-name-that-goes-on-and-on-too.backup", false, "A_VERY_LONG_NAME_THAT_~1.BACKUP"},
      {"my.folder", true, "MY_FOLDER"},
      {"日本", true, "__"},
  };
  for (const auto& c : cases) {
    const std::string iso = c.folder ? IsoFolderName(c.name, taken) : IsoFileName(c.name, taken);
    EXPECT_EQ(iso, c.iso) << c.name;
    EXPECT_LE(iso.size(), 31u) << c.name;  // a file's dot does not count against 30
  }
  EXPECT_EQ(IsoVolumeName("Outlook Data Backup CD, December 2026 (full)"), "OUTLOOK_DATA_BACKUP_CD__DECEMBER");
}

TEST(DiscNamesTest, JolietKeepsLongNamesUpToItsLimitAndStaysUnique) {
  std::vector<std::u16string> taken;
  const std::string seventy(70, 'x');
  EXPECT_EQ(JolietName(seventy + ".txt", taken), Utf16Of(seventy + ".txt"));
  const std::string tooLong(120, 'y');
  const std::u16string cut = JolietName(tooLong + ".txt", taken);
  EXPECT_EQ(cut.size(), kJolietMaxChars);
  EXPECT_EQ(cut.substr(cut.size() - 4), u".txt");
  EXPECT_EQ(JolietName(tooLong + ".txt", taken), Utf16Of(std::string(kJolietMaxChars - 6, 'y') + "~1.txt"));
  EXPECT_EQ(JolietName("Straße.txt", taken), u"Straße.txt");
}

}  // namespace
}  // namespace tarvo
