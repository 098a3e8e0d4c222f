// Planning a restore: every entry a chosen item needs is found by its record name, its
// name checked, and every registry export read and parsed, before anything changes.
#include "jobs/restore_plan.h"

#include "backup/archive_record.h"
#include "backup/record_entry.h"
#include "jobs/restore_job.h"
#include "outlook/item_locations.h"
#include "outlook/outlook_env.h"
#include "outlook/outlook_folders.h"
#include "platform/codepage.h"
#include "platform/host_file_system.h"
#include "platform/text.h"

namespace tarvo {

const PlannedImport* RestorePlan::ImportOf(ItemId item) const {
  for (const auto& import : imports)
    if (import.item == item) return &import;
  return nullptr;
}

namespace {

void AddOnce(std::vector<std::string>& list, const std::string& text) {
  for (const auto& s : list)
    if (SameNameNoCase(s, text)) return;
  list.push_back(text);
}

void AddFolder(RestorePlan& plan, const std::string& path, bool allLevels) {
  for (auto& folder : plan.folders)
    if (SameNameNoCase(folder.path, path)) {
      folder.allLevels = folder.allLevels || allLevels;
      return;
    }
  plan.folders.push_back({path, allLevels});
}

// A later file for the same place replaces an earlier one, as extracting both in turn
// would. Found through a map: a record may list tens of thousands of names.
void AddFile(RestorePlan& plan, PlannedFile file) {
  const auto [at, added] = plan.fileAt.emplace(UpperName(file.target), plan.files.size());
  if (added) plan.files.push_back(std::move(file));
  else plan.files[at->second] = std::move(file);
}

}  // namespace

// The entry a record name stands for, refused unless it is one plain file name that one
// entry alone bears. The record's name only finds the entry; it never names a file.
std::optional<ZipEntry> RestoreJob::PlannedEntry(const std::string& recordName, RestorePlan& plan) {
  const std::string shown = PrintableText(recordName.substr(0, recordName.find('\0')));
  const auto match = FindRecordEntry(app_.zip, recordName);
  if (!match.entry) {
    plan.problem = !match.problem.empty() ? match.problem
                                          : "The backup file holds no file " + shown + " that its record lists.";
    return std::nullopt;
  }
  const std::string name = PrintableText(match.entry->name);
  if (!IsSafeEntryName(match.entry->name)) {
    plan.problem = "The backup file's entry " + name + " is not a plain file name.";
    return std::nullopt;
  }
  if (const std::size_t count = app_.zip.NameCount(match.entry->name); count > 1) {
    plan.problem = "The backup file holds " + std::to_string(count) + " files named " + name +
                   "; its record cannot tell which one it means.";
    return std::nullopt;
  }
  return match.entry;
}

bool RestoreJob::PlanImport(ItemId item, const std::string& keyPath, RestorePlan& plan) {
  // A missing destination key is not an error: a restore never creates a profile, its
  // accounts key or the options key.
  if (!app_.reg.KeyExists(keyPath)) return true;
  const auto entry = PlannedEntry(TrimSpaces(List(item)), plan);
  if (!entry) return false;
  const auto bytes = app_.zip.ReadEntryBytes(*entry, kMaxExportBytes);
  if (!bytes) {
    plan.problem = "Could not read " + PrintableText(entry->name) + ": " + app_.zip.LastError() + ".";
    return false;
  }
  auto parsed = ParseExportText(AnsiToUtf8(*bytes));
  if (!parsed) {
    plan.problem = "The registry settings " + PrintableText(entry->name) + " in the backup file are damaged.";
    return false;
  }
  plan.imports.push_back({item, keyPath, std::move(*parsed)});
  return true;
}

// The entry into folder, under name or, when name is empty, under the entry's own name.
bool RestoreJob::PlanFileAs(ItemId item, const std::string& recordName, const std::string& folder,
                            const std::string& name, RestorePlan& plan) {
  const auto entry = PlannedEntry(recordName, plan);
  if (!entry) return false;
  AddFile(plan, {item, *entry, JoinPath(folder, name.empty() ? entry->name : name), {}});
  return true;
}

// Every name of the item's list, each into folder under its entry's own name. Data files
// and address books may need the whole path made; the folder items only their last level.
bool RestoreJob::PlanFiles(ItemId item, const std::string& folder, RestorePlan& plan) {
  const bool deep = item == ItemId::Datas || item == ItemId::Pab;
  AddFolder(plan, folder, deep);
  for (const auto& name : archive::SplitEntryList(List(item)))
    if (!PlanFileAs(item, name, folder, "", plan)) return false;
  return true;
}

bool RestoreJob::PlanStationery(RestorePlan& plan) {
  const auto& env = app_.state.env;
  std::string shared;
  if (IsOffice12OrLater(env.OfficeVersion)) {
    shared = ReadSharedFilesDir(app_.reg);
    if (shared == kRegError) {
      plan.problem = "Office's shared files folder is not known, so the stationery has nowhere to go.";
      return false;
    }
  }
  return PlanFiles(ItemId::Stationery, StationeryRestoreFolder(env, shared), plan);
}

bool RestoreJob::PlanItem(ItemId item, const std::string& target, RestorePlan& plan) {
  const OutlookEnv& env = app_.state.env;
  const std::string profileKey = ProfileKeyFor(env, target);
  switch (item) {
    case ItemId::Config: AddOnce(plan.branches, profileKey); return PlanImport(item, profileKey, plan);
    case ItemId::Accounts:
      AddOnce(plan.branches, profileKey);
      return PlanImport(item, profileKey + "\\" + kAccountsSubkey, plan);
    case ItemId::Configsetting:
      AddOnce(plan.branches, OptionsKeyFor(env));
      return PlanImport(item, OptionsKeyFor(env), plan);
    case ItemId::Rules: {
      if (archive::SplitEntryList(List(item)).empty()) return true;  // names nothing to restore
      const std::string folder = RoamingMicrosoftFolder(env, "Outlook");
      AddFolder(plan, folder, true);
      if (!IsSafeEntryName(target + ".RWZ")) {
        plan.problem = "The profile name " + PrintableText(target) + " cannot name a rules file.";
        return false;
      }
      // The rules of the source profile become the target's: the file takes its name.
      return PlanFileAs(item, List(item), folder, target + ".RWZ", plan);
    }
    case ItemId::Signatures: return PlanFiles(item, RoamingMicrosoftFolder(env, "Signatures"), plan);
    case ItemId::Stationery: return PlanStationery(plan);
    case ItemId::Templates: return PlanFiles(item, RoamingMicrosoftFolder(env, "Templates"), plan);
    case ItemId::Setting: return PlanFiles(item, RoamingMicrosoftFolder(env, "Outlook"), plan);
    case ItemId::Contacts: return PlanFiles(item, ContactsFolder(env), plan);
    case ItemId::Pab: AddOnce(plan.branches, profileKey); return PlanFiles(item, LocalOutlookFolder(env), plan);
    case ItemId::Datas:
      AddOnce(plan.branches, profileKey);
      for (const auto& fav : FavouritesFiles(env, target))
        if (app_.platform.files.FileExists(fav)) plan.removals.push_back(fav);
      return PlanFiles(item, LocalOutlookFolder(env), plan);
  }
  return false;
}

}  // namespace tarvo
