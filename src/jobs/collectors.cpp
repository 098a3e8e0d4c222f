// The eleven backup item collectors. Each runs under one error trap: the first failing
// step ends it with false, and only a collector that wrote its record line answers true.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/archive_record.h"
#include "backup/backup_steps.h"
#include "backup/work_files.h"
#include "core/record.h"
#include "jobs/backup_job.h"
#include "outlook/outlook_folders.h"
#include "platform/text.h"
#include "registry/reg_export.h"

namespace tarvo {
namespace {


// Adds a file; a second file of an existing bare name keeps the first entry. Answers
// false when the entry does not hold this file's content, so the caller leaves it out of
// its list; the user finds the skipped file in the run log.
bool AddToArchive(App& app, JobSink& sink, const std::string& path) {
  if (app.zip.AddFile(path, 1) != AddResult::SameNameOtherContent) return true;
  SystemInfo& sys = app.platform.system;
  sink.Log(SkippedFileLogEntry(sys.GeneralDate(sys.Now()), path));
  return false;
}

bool CollectRegistryExport(App& app, const std::string& keyPath, const char* prefix, ExportSlot slot,
                           const char* recordKey) {
  FileSystem& files = app.platform.files;
  try {
    if (!app.reg.KeyExists(keyPath)) return false;
    const std::string temp = NewRunWorkFile(files, app.state.DataFolder, prefix);
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

bool CollectFolder(App& app, JobSink& sink, const std::string& folder, const char* recordKey) {
  FileSystem& files = app.platform.files;
  try {
    const auto listed = files.ListFiles(folder);
    if (!listed) return false;
    std::vector<std::string> names;
    for (const std::string& name : *listed) {
      if (name.empty()) continue;
      if (AddToArchive(app, sink, JoinPath(folder, name))) names.push_back(name);
    }
    if (names.empty()) return false;
    SaveINI(files, recordKey, archive::JoinEntryList(names), app.state.InfoRecordPath);
    return true;
  } catch (...) {
    return false;
  }
}

const char* Key(ItemId item) { return Row(item).writeKey; }

// The files named by the profile's service sections: pathOf gives the existing file of a
// section, or nothing. The list holds each file's long name as stored; the entry is named
// from the path as read.
bool CollectProfileFiles(App& app, JobSink& sink, const std::string& profile, const char* recordKey,
                         const std::function<std::optional<std::string>(const std::string&)>& pathOf) {
  FileSystem& files = app.platform.files;
  try {
    const std::string key = ProfileKeyFor(app.state.env, profile);
    const std::vector<std::string> subkeys = app.reg.EnumSubKeys(key);
    if (subkeys.empty()) return false;
    std::vector<std::string> names;
    for (const std::string& sub : subkeys) {
      const auto path = pathOf(key + "\\" + sub);
      if (!path) continue;
      const std::string stored = files.StoredName(*path).value_or(BareName(*path));
      if (AddToArchive(app, sink, *path)) names.push_back(stored);
    }
    if (names.empty()) return false;
    SaveINI(files, recordKey, archive::JoinEntryList(names), app.state.InfoRecordPath);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool BackupJob::BackupConfig(const std::string& profile) {
  return CollectRegistryExport(app_, ProfileKeyFor(app_.state.env, profile), "OBC", kProfileExport, Key(ItemId::Config));
}

bool BackupJob::BackupAccounts(const std::string& /*profile*/) {
  // The accounts key of the profile chosen in the window, as the location set holds it.
  return CollectRegistryExport(app_, app_.state.loc.AccountsKey, "OBA", kAccountsExport, Key(ItemId::Accounts));
}

bool BackupJob::BackupConfigsetting() {
  return CollectRegistryExport(app_, app_.state.loc.OptionsKey, "OBC", kOptionsExport, Key(ItemId::Configsetting));
}

bool BackupJob::BackupDatas(const std::string& profile) {
  return CollectProfileFiles(app_, sink_, profile, Key(ItemId::Datas),
                             [this](const std::string& subkey) -> std::optional<std::string> {
    std::string path = app_.reg.GetWidePathFromBinary(subkey, "01020fff");
    if (path == kRegError) path = app_.reg.GetNarrowPathFromBinary(subkey, "01020fff");
    if (path == kRegError || !app_.platform.files.FileExists(path)) return std::nullopt;
    return path;
  });
}

bool BackupJob::BackupPab(const std::string& profile) {
  return CollectProfileFiles(app_, sink_, profile, Key(ItemId::Pab),
                             [this](const std::string& subkey) -> std::optional<std::string> {
    const std::string path = app_.reg.GetStringValue(subkey, "001e6600");
    if (path == kRegError || path.empty()) return std::nullopt;
    // Windows reads a doubled "\\" as one; the host file system may not, so both
    // spellings name the same file here.
    const std::string single = CollapseBackslashRuns(path);
    FileSystem& files = app_.platform.files;
    if (!files.FileExists(path) && !files.FileExists(single)) return std::nullopt;
    return single;
  });
}

bool BackupJob::BackupRules(const std::string& profile) {
  FileSystem& files = app_.platform.files;
  try {
    const std::string name = profile + ".RWZ";
    const std::string path = JoinPath(app_.state.loc.RulesPath, name);
    if (!files.FileExists(path)) return false;
    if (!AddToArchive(app_, sink_, path)) return false;
    // The name as built, not as the disk spells it.
    SaveINI(files, Key(ItemId::Rules), name, app_.state.InfoRecordPath);
    return true;
  } catch (...) {
    return false;
  }
}

bool BackupJob::BackupSignatures() { return CollectFolder(app_, sink_, app_.state.loc.SignaturesPath, Key(ItemId::Signatures)); }

bool BackupJob::BackupStationery() { return CollectFolder(app_, sink_, app_.state.loc.StationeryPath, Key(ItemId::Stationery)); }

bool BackupJob::BackupTemplates() { return CollectFolder(app_, sink_, app_.state.loc.TemplatesPath, Key(ItemId::Templates)); }

bool BackupJob::BackupSetting() { return CollectFolder(app_, sink_, app_.state.loc.PreferencesPath, Key(ItemId::Setting)); }

bool BackupJob::BackupContacts() { return CollectFolder(app_, sink_, app_.state.loc.ContactsPath, Key(ItemId::Contacts)); }

}  // namespace tarvo
