// The eleven backup item collectors. Each runs under one error trap: the first failing
// step ends it with false, and only a collector that wrote its record line answers true.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/record.h"
#include "backup/archive_record.h"
#include "backup/backup_steps.h"
#include "backup/work_files.h"
#include "registry/reg_export.h"

namespace tarvo {
namespace {

std::string CollapseDoubledBackslashes(std::string path) {
  std::string::size_type pos;
  while ((pos = path.find("\\\\")) != std::string::npos) path.erase(pos, 1);
  return path;
}

// Adds a file; a second file of an existing bare name keeps the first entry. Answers
// false when the entry does not hold this file's content, so the caller leaves it out of
// its list; the user finds the skipped file in the run log.
bool AddToArchive(App& app, const std::string& path) {
  if (app.zip.AddFile(path, 1) != AddResult::SameNameOtherContent) return true;
  SystemInfo& sys = app.platform.system;
  AppendLogLine(app.platform.files, app.state.LogFile, SkippedFileLogEntry(sys.GeneralDate(sys.Now()), path));
  return false;
}

bool CollectRegistryExport(App& app, const std::string& keyPath, const char* prefix, ExportSlot slot,
                           const char* recordKey) {
  FileSystem& files = app.platform.files;
  try {
    if (!app.reg.KeyExists(keyPath)) return false;
    const std::string temp = NewRunWorkFile(files, app.state.ProgramFolder, prefix);
    app.state.exportFiles[slot] = temp;
    ExportKey(app.reg, files, keyPath, "", temp);
    if (!files.FileExists(temp)) return false;  // the work file could not be made
    app.zip.AddFile(temp, 1);
    SaveINI(files, recordKey, BareName(temp), app.state.InfoRecordPath);
    return true;
  } catch (...) {
    return false;
  }
}

bool CollectFolder(App& app, const std::string& folder, const char* recordKey) {
  FileSystem& files = app.platform.files;
  try {
    const auto listed = files.ListFiles(folder);
    if (!listed) return false;
    std::vector<std::string> names;
    for (const std::string& name : *listed) {
      if (name.empty()) continue;
      if (AddToArchive(app, JoinPath(folder, name))) names.push_back(name);
    }
    if (names.empty()) return false;
    SaveINI(files, recordKey, archive::JoinEntryList(names), app.state.InfoRecordPath);
    return true;
  } catch (...) {
    return false;
  }
}

std::string ProfileKey(App& app, const std::string& profile) {
  return app.state.env.ProfilesKey + "\\" + profile;
}

// The files named by the profile's service sections: pathOf gives the existing file of a
// section, or nothing. The list holds each file's long name as stored; the entry is named
// from the path as read.
bool CollectProfileFiles(App& app, const std::string& profile, const char* recordKey,
                         const std::function<std::optional<std::string>(const std::string&)>& pathOf) {
  FileSystem& files = app.platform.files;
  try {
    const std::string key = ProfileKey(app, profile);
    const std::vector<std::string> subkeys = app.reg.EnumSubKeys(key);
    if (subkeys.empty()) return false;
    std::vector<std::string> names;
    for (const std::string& sub : subkeys) {
      const auto path = pathOf(key + "\\" + sub);
      if (!path) continue;
      const std::string stored = files.StoredName(*path).value_or(BareName(*path));
      if (AddToArchive(app, *path)) names.push_back(stored);
    }
    if (names.empty()) return false;
    SaveINI(files, recordKey, archive::JoinEntryList(names), app.state.InfoRecordPath);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool FrmMain::BackupConfig(const std::string& profile) {
  return CollectRegistryExport(app, ProfileKey(app, profile), "OBC", kProfileExport, "BackupConfig");
}

bool FrmMain::BackupAccounts(const std::string& /*profile*/) {
  // The accounts key of the profile chosen in the window, as the location set holds it.
  return CollectRegistryExport(app, app.state.loc.AccountsKey, "OBA", kAccountsExport, "BackupAccounts");
}

bool FrmMain::BackupConfigsetting() {
  return CollectRegistryExport(app, app.state.loc.OptionsKey, "OBC", kOptionsExport, "BackupConfigsetting");
}

bool FrmMain::BackupDatas(const std::string& profile) {
  return CollectProfileFiles(app, profile, "BackupDatas",
                             [this](const std::string& subkey) -> std::optional<std::string> {
    std::string path = app.reg.GetWidePathFromBinary(subkey, "01020fff");
    if (path == kRegError) path = app.reg.GetNarrowPathFromBinary(subkey, "01020fff");
    if (path == kRegError || !app.platform.files.FileExists(path)) return std::nullopt;
    return path;
  });
}

bool FrmMain::BackupPab(const std::string& profile) {
  return CollectProfileFiles(app, profile, "BackupPab",
                             [this](const std::string& subkey) -> std::optional<std::string> {
    const std::string path = app.reg.GetStringValue(subkey, "001e6600");
    if (path == kRegError || path.empty()) return std::nullopt;
    // Windows reads a doubled "\\" as one; the host file system may not, so both
    // spellings name the same file here.
    const std::string single = CollapseDoubledBackslashes(path);
    FileSystem& files = app.platform.files;
    if (!files.FileExists(path) && !files.FileExists(single)) return std::nullopt;
    return single;
  });
}

bool FrmMain::BackupRules(const std::string& profile) {
  FileSystem& files = app.platform.files;
  try {
    const std::string name = profile + ".RWZ";
    const std::string path = JoinPath(app.state.loc.RulesPath, name);
    if (!files.FileExists(path)) return false;
    if (!AddToArchive(app, path)) return false;
    // The name as built, not as the disk spells it.
    SaveINI(files, "BackupRules", name, app.state.InfoRecordPath);
    return true;
  } catch (...) {
    return false;
  }
}

bool FrmMain::BackupSignatures() { return CollectFolder(app, app.state.loc.SignaturesPath, "BackupSignatures"); }

bool FrmMain::BackupStationery() { return CollectFolder(app, app.state.loc.StationeryPath, "BackupStationery"); }

bool FrmMain::BackupTemplates() { return CollectFolder(app, app.state.loc.TemplatesPath, "BackupTemplates"); }

bool FrmMain::BackupSetting() { return CollectFolder(app, app.state.loc.PreferencesPath, "BackupSetting"); }

bool FrmMain::BackupContacts() { return CollectFolder(app, app.state.loc.ContactsPath, "BackupContacts"); }

}  // namespace tarvo
