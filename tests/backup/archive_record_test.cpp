#include "backup/archive_record.h"
#include "core/item_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvo::archive {
namespace {

TEST(ArchiveRecord, ItemKeysInPositionOrderDifferOnlyInContactsSpelling) {
  EXPECT_STREQ(kItems[0].writeKey, "BackupConfig");
  EXPECT_STREQ(kItems[1].writeKey, "BackupDatas");
  EXPECT_STREQ(kItems[7].writeKey, "BackupConfigsetting");
  EXPECT_STREQ(kItems[10].writeKey, "BackupContacts");
  EXPECT_STREQ(kItems[10].readKey, "Backupcontacts");
  for (int i = 0; i < 10; ++i) EXPECT_STREQ(kItems[i].writeKey, kItems[i].readKey) << i;
  for (int i = 0; i < kItemCount; ++i) EXPECT_EQ(kItems[i].position, i + 1) << i;
}

TEST(ArchiveRecord, NoteLineBreaksSurviveTheRecord) {
  EXPECT_EQ(EncodeNote("first\r\nsecond"), "firstPS$MVTsecond");
  EXPECT_EQ(DecodeNote("firstPS$MVTsecond"), "first\r\nsecond");
  // A lone CR or LF is written as it is; consecutive pairs each become a marker.
  EXPECT_EQ(EncodeNote("a\rb\nc\r\n\r\n"), "a\rb\ncPS$MVTPS$MVT");
  EXPECT_EQ(EncodeNote("\r\r\n\n"), "\rPS$MVT\n");
  // A note that holds the marker itself comes back with a line break in its place.
  EXPECT_EQ(DecodeNote(EncodeNote("see PS$MVT")), "see \r\n");
  EXPECT_EQ(DecodeNote("PS$MVPS$MVTT"), "PS$MV\r\nT");
  EXPECT_EQ(EncodeNote(""), "");
}

TEST(ArchiveRecord, ItemFlagsMustBeElevenCharacters) {
  EXPECT_TRUE(IsValidItemFlags("00001000000"));
  EXPECT_FALSE(IsValidItemFlags("0000100000"));
  EXPECT_FALSE(IsValidItemFlags("000010000000"));
  EXPECT_FALSE(IsValidItemFlags(""));

  const std::string flags = "1x0010001002";
  EXPECT_FALSE(ItemPresent(flags, 1));  // twelve characters: nothing is present
  const std::string valid = "1x001000100";
  EXPECT_TRUE(ItemPresent(valid, 1));
  EXPECT_FALSE(ItemPresent(valid, 2));  // only "1" marks a present item
  EXPECT_TRUE(ItemPresent(valid, 5));
  EXPECT_TRUE(ItemPresent(valid, 9));
  EXPECT_FALSE(ItemPresent(valid, 11));
  EXPECT_FALSE(ItemPresent(valid, 0));
  EXPECT_FALSE(ItemPresent(valid, 12));
}

TEST(ArchiveRecord, EntryListsJoinWithoutStraySeparators) {
  EXPECT_EQ(JoinEntryList({"Outlook.pst", "archive.pst"}), "Outlook.pst;archive.pst");
  EXPECT_EQ(JoinEntryList({"Work.htm"}), "Work.htm");
  EXPECT_EQ(JoinEntryList({}), "");
  EXPECT_EQ(JoinEntryList({"", "a", ""}), "a");

  EXPECT_EQ(SplitEntryList("Outlook.pst;archive.pst"), (std::vector<std::string>{"Outlook.pst", "archive.pst"}));
  EXPECT_EQ(SplitEntryList(";a;;b;"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(SplitEntryList("").empty());
  const std::vector<std::string> names{"Work.htm", "Work.txt", "Work_files"};
  EXPECT_EQ(SplitEntryList(JoinEntryList(names)), names);
}

}  // namespace
}  // namespace tarvo::archive
