// The eleven item restorers. Each stops at its first failing step with false and shows
// nothing; the restore run reports the result.
#include "app/frm_main.h"
#include "backup/archive_record.h"
#include "backup/record_entry.h"
#include "platform/host_file_system.h"
#include "app/record.h"
#include "outlook/item_locations.h"
#include "outlook/outlook_env.h"
#include "restore/branch_import.h"
#include "restore/extract_failure.h"
#include "restore/restore_paths.h"

namespace tarvo {
namespace {

enum ListSlot { kConfig, kDatas, kRules, kAccounts, kSignatures, kStationery, kPab, kConfigsetting, kTemplates,
                kSetting, kContacts };

void LogProblem(App& app, const std::string& text);

// The entry a record name stands for; a name the record could not hold in full is matched
// to its one entry, and a choice among several is logged and refused.
std::optional<ZipEntry> RecordEntry(App& app, const std::string& name) {
  auto match = FindRecordEntry(app.zip, name);
  if (!match.problem.empty()) LogProblem(app, match.problem);
  return match.entry;
}

bool ExtractEntry(App& app, const std::string& name, const std::string& folder) {
  const auto entry = RecordEntry(app, name);
  if (!entry) return false;
  if (app.zip.ExtractTo(*entry, folder)) return true;
  // The item's line says only "Fail!": the reason goes on a line of its own before it.
  LogProblem(app, ExtractFailureText(name, app.zip.LastError()));
  return false;
}

// Every name of the list, in order; the first missing or refused entry fails the item.
bool ExtractList(App& app, const std::string& list, const std::string& folder) {
  for (const auto& name : archive::SplitEntryList(list))
    if (!ExtractEntry(app, name, folder)) return false;
  return true;
}

bool EnsureFolder(FileSystem& files, const std::string& folder) {
  return files.FolderExists(folder) || files.CreateFolder(folder);
}

bool RestoreFolderItem(App& app, const std::string& folder, const std::string& list) {
  return EnsureFolder(app.platform.files, folder) && ExtractList(app, list, folder);
}

void LogProblem(App& app, const std::string& text) {
  auto& system = app.platform.system;
  AppendLogLine(app.platform.files, app.state.LogFile, system.GeneralDate(system.Now()) + " " + text);
}

// A missing destination key is not an error: these restorers never create a profile,
// its accounts key or the options key.
bool RestoreBranch(App& app, const std::string& keyPath, const std::string& list) {
  if (!app.reg.KeyExists(keyPath)) return true;
  const std::string name = TrimSpaces(list);
  const std::string& workFolder = app.state.ProgramFolder;
  if (!ExtractEntry(app, name, workFolder)) return false;
  const std::string file = JoinPath(workFolder, name);
  const auto result = ImportBranchSafely(app.reg, app.platform.files, keyPath, file, workFolder);
  app.platform.files.DeleteFile(file);
  if (!result.imported) LogProblem(app, result.problem);
  return result.imported;
}

std::string ProfileKey(App& app, const std::string& profile) { return app.state.env.ProfilesKey + "\\" + profile; }

// Moves the extracted rules file to the target's name. A file of the source profile's
// name already in the folder belongs to that profile here, so it is set aside while the
// archive's copy is extracted and put back afterwards.
bool ExtractRulesAs(App& app, const ZipEntry& entry, const std::string& folder, const std::string& targetName) {
  auto& files = app.platform.files;
  const std::string extracted = JoinPath(folder, entry.name);
  std::string aside;
  if (files.FileExists(extracted)) {
    aside = files.CreateTempFile(folder, "OBR");
    files.DeleteFile(aside);
    if (!files.RenameFile(extracted, aside)) return false;
  }
  bool ok = app.zip.ExtractTo(entry, folder) && files.ReplaceFile(extracted, JoinPath(folder, targetName));
  if (!ok) files.DeleteFile(extracted);
  if (!aside.empty() && !files.RenameFile(aside, extracted)) {
    LogProblem(app, "Could not put back " + extracted + "; it is kept as " + aside);
    ok = false;
  }
  return ok;
}

}  // namespace

bool FrmMain::RestoreConfig(const std::string& target) {
  return RestoreBranch(app, ProfileKey(app, target), app.state.RestoreLists[kConfig]);
}

bool FrmMain::RestoreAccounts(const std::string& target) {
  return RestoreBranch(app, ProfileKey(app, target) + "\\" + kAccountsSubkey, app.state.RestoreLists[kAccounts]);
}

bool FrmMain::RestoreConfigsetting() {
  return RestoreBranch(app, OptionsKeyFor(app.state.env), app.state.RestoreLists[kConfigsetting]);
}

bool FrmMain::RestoreRules(const std::string& target) {
  const std::string folder = RoamingMicrosoftFolder(app.state.env, "Outlook");
  const std::string& list = app.state.RestoreLists[kRules];
  const std::string targetName = target + ".RWZ";
  if (archive::SplitEntryList(list).empty()) return true;  // an empty list names nothing to restore
  const auto entry = RecordEntry(app, list);
  if (!entry) return false;
  if (SameNameNoCase(entry->name, targetName)) return app.zip.ExtractTo(*entry, folder);
  return ExtractRulesAs(app, *entry, folder, targetName);
}

bool FrmMain::RestoreSignatures() {
  return RestoreFolderItem(app, RoamingMicrosoftFolder(app.state.env, "Signatures"),
                           app.state.RestoreLists[kSignatures]);
}

bool FrmMain::RestoreStationery() {
  const auto& env = app.state.env;
  std::string shared;
  if (IsOffice12OrLater(env.OfficeVersion)) {
    shared = ReadSharedFilesDir(app.reg);
    if (shared == kRegError) return false;  // no shared-files folder: nowhere to put it
  }
  return RestoreFolderItem(app, StationeryRestoreFolder(env, shared), app.state.RestoreLists[kStationery]);
}

bool FrmMain::RestoreTemplates() {
  return RestoreFolderItem(app, RoamingMicrosoftFolder(app.state.env, "Templates"),
                           app.state.RestoreLists[kTemplates]);
}

bool FrmMain::RestoreSetting() {
  return RestoreFolderItem(app, RoamingMicrosoftFolder(app.state.env, "Outlook"), app.state.RestoreLists[kSetting]);
}

bool FrmMain::RestoreContacts() {
  return RestoreFolderItem(app, ContactsFolder(app.state.env), app.state.RestoreLists[kContacts]);
}

// Points every service section that names a data file at the restored file of the same
// name, and drops the values that would still lead Outlook to the old place.
bool FrmMain::RestoreDatas(const std::string& target) {
  auto& files = app.platform.files;
  auto& reg = app.reg;
  const std::string folder = LocalOutlookFolder(app.state.env);
  if (!ExtractList(app, app.state.RestoreLists[kDatas], folder)) return false;

  const std::string profileKey = ProfileKey(app, target);
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
  for (const auto& fav : FavouritesFiles(app.state.env, target))
    if (files.FileExists(fav) && !files.DeleteFile(fav)) return false;
  return true;
}

bool FrmMain::RestorePab(const std::string& target) {
  auto& reg = app.reg;
  const std::string folder = LocalOutlookFolder(app.state.env);
  if (!ExtractList(app, app.state.RestoreLists[kPab], folder)) return false;

  const std::string profileKey = ProfileKey(app, target);
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
