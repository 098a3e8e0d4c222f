#pragma once
// The eleven archive items and the nine boxes they are chosen by. The backup and restore
// runs, the information record, the windows' boxes and `tvo` all read their lists here.
#include <array>
#include <string>

namespace tarvo {

inline constexpr int kItemCount = 11;  // positions 1..11 of "BackupItem"
inline constexpr int kBoxCount = 9;    // item boxes 0..8, in the windows and the task's mask

enum class ItemId { Config, Datas, Rules, Accounts, Signatures, Stationery, Pab, Configsetting, Templates, Setting,
                    Contacts };

using BoxMask = unsigned;
constexpr BoxMask BoxBit(int box) { return 1u << box; }

struct ItemRow {
  ItemId id;
  int position;       // 1..11
  int box;            // the item's own box, -1 for items that ride along with others
  BoxMask chosenBy;   // the boxes that choose the item
  const char* writeKey;  // record key the backup writes
  const char* readKey;   // record key the archive opening reads (keys match without case)
  const char* label;     // "Signatures" in "Backup Signatures"; nullptr: not reported
  int summaryTabs;       // tabs after the label in both summaries
  const char* backupStatus;
  const char* restoreStatus;
  int backupStep, skippedStep;  // progress of a backup step run or skipped
  int restoreStep;              // progress after the restore step, run or not
  const char* tvoName;
};

// By position: kItems[position - 1].
extern const std::array<ItemRow, kItemCount> kItems;
// The restore run's order: data files last, so they repoint the profile as the
// configuration left it.
extern const std::array<ItemId, kItemCount> kRestoreOrder;

struct BoxRow {
  ItemId item;
  const char* caption;
  char mnemonic;
};
extern const std::array<BoxRow, kBoxCount> kBoxes;

const ItemRow& Row(ItemId id);
// True when any box of the row's chosenBy is ticked.
bool Chosen(const ItemRow& row, const std::array<bool, kBoxCount>& boxes);
// The row of a `tvo` item name, or nullptr.
const ItemRow* RowByTvoName(const std::string& name);

}  // namespace tarvo
