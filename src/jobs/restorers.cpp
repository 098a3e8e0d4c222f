// The eleven item restorers. Each stops at its first failing step with false and shows
// nothing; the restore run reports the result.
#include "backup/archive_record.h"
#include "backup/record_entry.h"
#include "core/record.h"
#include "jobs/restore_job.h"
#include "outlook/item_locations.h"
#include "outlook/outlook_env.h"
#include "outlook/outlook_folders.h"
#include "platform/host_file_system.h"
#include "restore/branch_import.h"
#include "restore/extract_failure.h"

namespace tarvo {
namespace {

bool EnsureFolder(FileSystem& files, const std::string& folder) {
  return files.FolderExists(folder) || files.CreateFolder(folder);
}

}  // namespace

void RestoreJob::LogProblem(const std::string& text) { sink_.Log(Now() + " " + text); }

// The entry a record name stands for; a name the record could not hold in full is matched
// to its one entry, and a choice among several is logged and refused.
std::optional<ZipEntry> RestoreJob::RecordEntry(const std::string& name) {
  auto match = FindRecordEntry(app_.zip, name);
  if (!match.problem.empty()) LogProblem(match.problem);
  return match.entry;
}

bool RestoreJob::ExtractEntry(const std::string& name, const std::string& folder) {
  const auto entry = RecordEntry(name);
  if (!entry) return false;
  if (app_.zip.ExtractTo(*entry, folder)) return true;
  // The item's line says only "Fail!": the reason goes on a line of its own before it.
  LogProblem(ExtractFailureText(name, app_.zip.LastError()));
  return false;
}

// Every name of the list, in order; the first missing or refused entry fails the item.
bool RestoreJob::ExtractList(const std::string& list, const std::string& folder) {
  for (const auto& name : archive::SplitEntryList(list))
    if (!ExtractEntry(name, folder)) return false;
  return true;
}

bool RestoreJob::RestoreFolderItem(const std::string& folder, const std::string& list) {
  return EnsureFolder(app_.platform.files, folder) && ExtractList(list, folder);
}

const std::string& RestoreJob::List(ItemId item) const {
  return app_.state.RestoreLists[static_cast<std::size_t>(Row(item).position - 1)];
}

// A missing destination key is not an error: these restorers never create a profile,
// its accounts key or the options key.
bool RestoreJob::RestoreBranch(const std::string& keyPath, const std::string& list) {
  App& app = app_;
  if (!app_.reg.KeyExists(keyPath)) return true;
  const std::string name = TrimSpaces(list);
  const std::string& workFolder = app.state.DataFolder;
  if (!ExtractEntry(name, workFolder)) return false;
  const std::string file = JoinPath(workFolder, name);
  const auto result = ImportBranchSafely(app_.reg, app_.platform.files, keyPath, file, workFolder);
  app_.platform.files.DeleteFile(file);
  if (!result.imported) LogProblem(result.problem);
  return result.imported;
}

// Moves the extracted rules file to the target's name. A file of the source profile's
// name already in the folder belongs to that profile here, so it is set aside while the
// archive's copy is extracted and put back afterwards.
bool RestoreJob::ExtractRulesAs(const ZipEntry& entry, const std::string& folder, const std::string& targetName) {
  auto& files = app_.platform.files;
  const std::string extracted = JoinPath(folder, entry.name);
  std::string aside;
  if (files.FileExists(extracted)) {
    aside = files.CreateTempFile(folder, "OBR");
    files.DeleteFile(aside);
    if (!files.RenameFile(extracted, aside)) return false;
  }
  bool ok = app_.zip.ExtractTo(entry, folder) && files.ReplaceFile(extracted, JoinPath(folder, targetName));
  if (!ok) files.DeleteFile(extracted);
  if (!aside.empty() && !files.RenameFile(aside, extracted)) {
    LogProblem("Could not put back " + extracted + "; it is kept as " + aside);
    ok = false;
  }
  return ok;
}

bool RestoreJob::RestoreConfig(const std::string& target) {
  return RestoreBranch(ProfileKeyFor(app_.state.env, target), List(ItemId::Config));
}

bool RestoreJob::RestoreAccounts(const std::string& target) {
  return RestoreBranch(ProfileKeyFor(app_.state.env, target) + "\\" + kAccountsSubkey, List(ItemId::Accounts));
}

bool RestoreJob::RestoreConfigsetting() {
  return RestoreBranch(OptionsKeyFor(app_.state.env), List(ItemId::Configsetting));
}

bool RestoreJob::RestoreRules(const std::string& target) {
  const std::string folder = RoamingMicrosoftFolder(app_.state.env, "Outlook");
  const std::string& list = List(ItemId::Rules);
  const std::string targetName = target + ".RWZ";
  if (archive::SplitEntryList(list).empty()) return true;  // an empty list names nothing to restore
  const auto entry = RecordEntry(list);
  if (!entry) return false;
  if (SameNameNoCase(entry->name, targetName)) return app_.zip.ExtractTo(*entry, folder);
  return ExtractRulesAs(*entry, folder, targetName);
}

bool RestoreJob::RestoreSignatures() {
  return RestoreFolderItem(RoamingMicrosoftFolder(app_.state.env, "Signatures"),
                           List(ItemId::Signatures));
}

bool RestoreJob::RestoreStationery() {
  const auto& env = app_.state.env;
  std::string shared;
  if (IsOffice12OrLater(env.OfficeVersion)) {
    shared = ReadSharedFilesDir(app_.reg);
    if (shared == kRegError) return false;  // no shared-files folder: nowhere to put it
  }
  return RestoreFolderItem(StationeryRestoreFolder(env, shared), List(ItemId::Stationery));
}

bool RestoreJob::RestoreTemplates() {
  return RestoreFolderItem(RoamingMicrosoftFolder(app_.state.env, "Templates"),
                           List(ItemId::Templates));
}

bool RestoreJob::RestoreSetting() {
  return RestoreFolderItem(RoamingMicrosoftFolder(app_.state.env, "Outlook"), List(ItemId::Setting));
}

bool RestoreJob::RestoreContacts() {
  return RestoreFolderItem(ContactsFolder(app_.state.env), List(ItemId::Contacts));
}

// Points every service section that names a data file at the restored file of the same
// name, and drops the values that would still lead Outlook to the old place.
bool RestoreJob::RestoreDatas(const std::string& target) {
  auto& files = app_.platform.files;
  auto& reg = app_.reg;
  const std::string folder = LocalOutlookFolder(app_.state.env);
  if (!ExtractList(List(ItemId::Datas), folder)) return false;

  const std::string profileKey = ProfileKeyFor(app_.state.env, target);
  const auto sections = reg.EnumSubKeys(profileKey);
  if (sections.empty()) return false;
  for (const auto& section : sections) {
    const std::string key = profileKey + "\\" + section;
    std::string oldPath = reg.GetWidePathFromBinary(key, "01020fff");
    if (oldPath == kRegError) oldPath = reg.GetNarrowPathFromBinary(key, "01020fff");
    if (oldPath == kRegError) continue;
    const std::string newPath = folder + "\\" + BareName(oldPath);
    reg.DeleteValue(key, "001e6700");
    reg.ReplaceInBinaryValue(key, "01020fff", oldPath, newPath);
    reg.ReplaceInBinaryValue(key, "001f6700", oldPath, newPath);
  }
  reg.DeleteValue(profileKey + "\\" + kStoreSectionKey, "1102039b");
  reg.DeleteValue(profileKey + "\\" + kStoreSectionKey, "001e023d");
  reg.DeleteValue(profileKey + "\\" + kDeliveryAccountKey, "Delivery Store EntryID");
  for (const auto& fav : FavouritesFiles(app_.state.env, target))
    if (files.FileExists(fav) && !files.DeleteFile(fav)) return false;
  return true;
}

bool RestoreJob::RestorePab(const std::string& target) {
  auto& reg = app_.reg;
  const std::string folder = LocalOutlookFolder(app_.state.env);
  if (!ExtractList(List(ItemId::Pab), folder)) return false;

  const std::string profileKey = ProfileKeyFor(app_.state.env, target);
  const auto sections = reg.EnumSubKeys(profileKey);
  if (sections.empty()) return false;
  for (const auto& section : sections) {
    const std::string key = profileKey + "\\" + section;
    const std::string old = reg.GetStringValue(key, "001e6600");
    if (old == kRegError) continue;
    reg.SetStringValue(key, "001e6600", folder + "\\" + BareName(old));
  }
  return true;
}

}  // namespace tarvo
