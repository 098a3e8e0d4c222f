#include "jobs/archive_opening.h"

#include <exception>

#include "backup/archive_record.h"
#include "backup/record_notes.h"
#include "backup/run_guard.h"
#include "core/item_table.h"
#include "core/record.h"

namespace tarvo {
namespace {

bool OpenReader(App& app, const std::string& path, const std::function<void()>& askPassword) {
  ZipComponent& zip = app.zip;
  if (zip.IsEncrypted(path) != 1) {
    zip.ReadPassword.clear();
    zip.OpenArchive(path);
    return true;
  }
  askPassword();
  zip.OpenArchive(path);
  zip.ReadPassword = app.state.RestorePassword;
  return zip.CheckPassword() == 1;
}

void ReadDetails(FileSystem& files, const std::string& info, ArchiveDetails& details) {
  const auto read = [&](const char* key) { return GetINI(files, key, info); };
  try {
    details.origin = "Computer:" + read("BackupComputer") + "\r\nUser:" + read("BackupLogonUser") +
                     "\r\nBackup Time:" + read("BackupTime") + "\r\nProfile:" + read("BackupIdentity") +
                     "\r\nOutlook Version:" + read("Outlookversion");
  } catch (const std::exception&) {
  }
  try {
    details.note = archive::DecodeNote(read("BackupInformation"));
    details.notes = archive::ReadRecordNotes(files, info);
  } catch (const std::exception&) {
  }
}

}  // namespace

OpenOutcome OpenArchiveFile(App& app, const std::string& path, const std::function<void()>& askPassword,
                            ArchiveDetails& details) {
  AppState& state = app.state;
  FileSystem& files = app.platform.files;
  state.NoArchiveLoaded = true;
  if (!OpenReader(app, path, askPassword)) return OpenOutcome::WrongPassword;
  state.SourceArchive = path;
  state.SourcePassword = app.zip.ReadPassword;

  // A work file of this opening's own, absent unless the archive holds a record.
  state.InfoRecordPath = NewRecordWorkFile(files, state.DataFolder);
  const std::string& info = state.InfoRecordPath;
  if (files.FileExists(info)) files.DeleteFile(info);
  // A record that is too large, or two of them, is no record: the archive is invalid.
  const auto entry = app.zip.GetEntry(archive::kRecordEntry);
  if (entry && entry->size <= archive::kMaxRecordBytes && app.zip.NameCount(entry->name) == 1)
    app.zip.ExtractToFile(*entry, info);
  ReadDetails(files, info, details);

  state.ItemFlags.clear();
  try {
    state.ItemFlags = GetINI(files, archive::kItemFlagsKey, info);
  } catch (const std::exception&) {
  }
  if (!archive::IsValidItemFlags(state.ItemFlags)) {
    files.DeleteFile(info);
    return OpenOutcome::InvalidRecord;
  }
  for (const ItemRow& row : kItems) {
    if (!archive::ItemPresent(state.ItemFlags, row.position)) continue;
    try {
      state.RestoreLists[static_cast<std::size_t>(row.position - 1)] = GetINI(files, row.readKey, info);
    } catch (const std::exception&) {
    }
  }
  files.DeleteFile(info);
  state.NoArchiveLoaded = false;
  return OpenOutcome::Opened;
}

}  // namespace tarvo
