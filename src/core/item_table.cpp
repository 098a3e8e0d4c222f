#include "core/item_table.h"

namespace tarvo {

namespace {
constexpr BoxMask kDatasBox = BoxBit(0), kAccountsBox = BoxBit(1), kPabBox = BoxBit(4);
}  // namespace

// clang-format off
const std::array<ItemRow, kItemCount> kItems = {{
    {ItemId::Config, 1, -1, kDatasBox | kAccountsBox | kPabBox, "BackupConfig", "BackupConfig", nullptr, 0,
     "Copying Config...", "Copying Config...", 0, 0, 10, "config"},
    {ItemId::Datas, 2, 0, kDatasBox, "BackupDatas", "BackupDatas", "Personal Folders", 1,
     "Copying Data Files (Pst Files)...", "Copying Data Files (PST/OST Files)...", 20, 15, 0, "datas"},
    {ItemId::Rules, 3, -1, kDatasBox, "BackupRules", "BackupRules", nullptr, 0,
     "Copying Rules...", "Copying Rules...", 10, 10, 25, "rules"},
    {ItemId::Accounts, 4, 1, kAccountsBox, "BackupAccounts", "BackupAccounts", "Accounts Settings", 1,
     "Copying Accounts...", "Copying Accounts...", 20, 20, 10, "accounts"},
    {ItemId::Signatures, 5, 2, BoxBit(2), "BackupSignatures", "BackupSignatures", "Signatures", 2,
     "Copying Signatures...", "Copying Signatures...", 10, 10, 10, "signatures"},
    {ItemId::Stationery, 6, 3, BoxBit(3), "BackupStationery", "BackupStationery", "Stationeries", 1,
     "Copying Stationeries...", "Copying Stationeries...", 10, 10, 5, "stationery"},
    {ItemId::Pab, 7, 4, kPabBox, "BackupPab", "BackupPab", "Personal Address Book", 1,
     "Copying Address Book...", "Copying Address Book...", 5, 5, 5, "pab"},
    {ItemId::Configsetting, 8, 5, BoxBit(5), "BackupConfigsetting", "BackupConfigsetting", "Options Settings", 1,
     "Copying Options...", "Copying Options...", 5, 5, 5, "options"},
    {ItemId::Templates, 9, 6, BoxBit(6), "BackupTemplates", "BackupTemplates", "Templates", 2,
     "Copying Templates...", "Copying Templates...", 5, 5, 5, "templates"},
    {ItemId::Setting, 10, 7, BoxBit(7), "BackupSetting", "BackupSetting", "Preferences", 1,
     "Copying Setting...", "Copying Setting...", 0, 0, 5, "preferences"},
    // The writer spells the key "BackupContacts", the reader asks for "Backupcontacts".
    {ItemId::Contacts, 11, 8, BoxBit(8), "BackupContacts", "Backupcontacts", "Contacts Folder", 1,
     "Copying Contacts Folder...", "Copying Contacts Folder...", 10, 10, 0, "contacts"},
}};

const std::array<ItemId, kItemCount> kRestoreOrder = {
    ItemId::Config,        ItemId::Rules,     ItemId::Accounts, ItemId::Signatures, ItemId::Stationery, ItemId::Pab,
    ItemId::Configsetting, ItemId::Templates, ItemId::Setting,  ItemId::Contacts,   ItemId::Datas};

const std::array<BoxRow, kBoxCount> kBoxes = {{
    {ItemId::Datas, "Personal Folders (Contacts, Tasks, Calendar, Notes and mail folders)", 'P'},
    {ItemId::Accounts, "Accounts Settings", 'A'},
    {ItemId::Signatures, "Signatures", 'S'},
    {ItemId::Stationery, "Stationeries", 't'},
    {ItemId::Pab, "Personal Address Book", 'd'},
    {ItemId::Configsetting, "Options Settings", 'O'},
    {ItemId::Templates, "Templates", 'm'},
    {ItemId::Setting, "Preferences (Customizable settings)", 'f'},
    {ItemId::Contacts, "Contacts Folder", 'C'},
}};
// clang-format on

const ItemRow& Row(ItemId id) { return kItems[static_cast<std::size_t>(id)]; }

bool Chosen(const ItemRow& row, const std::array<bool, kBoxCount>& boxes) {
  for (int box = 0; box < kBoxCount; ++box)
    if ((row.chosenBy & BoxBit(box)) && boxes[static_cast<std::size_t>(box)]) return true;
  return false;
}

const ItemRow* RowByTvoName(const std::string& name) {
  for (const ItemRow& row : kItems)
    if (name == row.tvoName) return &row;
  return nullptr;
}

}  // namespace tarvo
