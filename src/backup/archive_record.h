#pragma once
// The information record "mailvault.dat" of a backup archive: its keys, the stored form of
// the note, the item flags and the entry lists. In their own namespace so that older local
// helpers of the same name elsewhere do not collide.
#include <array>
#include <string>
#include <vector>

#include "core/item_table.h"

namespace tarvo::archive {

inline constexpr const char* kRecordEntry = "mailvault.dat";
// A record names every file of a backup; even 100,000 names stay far below this.
inline constexpr unsigned long long kMaxRecordBytes = 16ull * 1024 * 1024;
using tarvo::kItemCount;

// The six header keys, in the order written.
inline constexpr std::array<const char*, 6> kHeaderKeys = {
    "BackupComputer", "BackupLogonUser", "BackupIdentity", "BackupTime", "Outlookversion", "BackupInformation"};
inline constexpr const char* kItemFlagsKey = "BackupItem";

// Every CR LF becomes "PS$MVT"; a lone CR or LF stays.
std::string EncodeNote(const std::string& note);
// Every "PS$MVT" becomes CR LF, also one the user typed.
std::string DecodeNote(const std::string& stored);

// "BackupItem" is valid when it is exactly eleven characters; only "1" marks a present item.
bool IsValidItemFlags(const std::string& flags);
// position is 1..11; false for an invalid flag text or position.
bool ItemPresent(const std::string& flags, int position);

// Names joined by ";" with no leading or trailing ";". A name holding ";" cannot be told
// apart afterwards; collectors take names from the file system, where that is rare.
std::string JoinEntryList(const std::vector<std::string>& names);
// The names of a list in order; empty parts (";;", a stray leading ";") are dropped.
std::vector<std::string> SplitEntryList(const std::string& list);

}  // namespace tarvo::archive
