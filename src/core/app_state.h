#pragma once
// Process-wide values, set at start-up and read by the runs.
#include <array>
#include <string>
#include <vector>

#include "core/version.h"

namespace tarvo {

inline constexpr const char* kAppTitle = "Tarvo Outlook Backup";
inline constexpr const char* kMainCaption = "Tarvo Outlook Backup V" TARVO_VERSION_CAPTION;
inline constexpr const char* kVersion = TARVO_VERSION;
// Written beside tarvobk.exe by the installer: the data then lives in a folder of the user.
inline constexpr const char* kInstalledMarker = "installed.dat";
inline constexpr const char* kArchiveFilter = "Tarvo Outlook Backup File (*.tvo)|*.tvo";

struct OutlookEnv {
  std::string WinVersion;       // "6.1"
  std::string OfficeVersion;    // "14.0"; empty until a probe recognises a version
  std::string UserProfilePath;  // no trailing "\"
  std::string ProfilesKey;
  // Profile names in enumeration order; the last slot is always empty.
  std::vector<std::string> ProfileList{""};
  bool NoProfile = false;
};

struct Locations {
  std::string AccountsKey, SignaturesPath, StationeryPath, RulesPath, OptionsKey, TemplatesPath,
      PreferencesPath, ContactsPath, TargetFile;
};

// The three registry export work files of a backup run: profile, accounts, options.
enum ExportSlot { kProfileExport = 0, kAccountsExport = 1, kOptionsExport = 2 };

struct AppState {
  std::string CommandLine;
  std::string ExeFolder;       // tarvobk.exe, help.chm, the shipped settings.dat
  std::string DataFolder;      // settings, log and work files; no trailing "\" unless a drive root
  std::string InfoRecordPath;  // DataFolder + "\mailvault.dat"
  std::string LogFile;         // DataFolder + "\brlog.dat"
  std::string SettingsFile;    // DataFolder + "\settings.dat"
  std::string ComputerName, LogonUserName;
  OutlookEnv env;
  Locations loc;
  std::array<std::string, 3> exportFiles;
  // Longest wait for another run writing the same archive; negative: each run's default.
  int RunLockWaitMs = -1;

  // The archive opened on the restore tab, from one opening to the next. A backup run
  // keeps its own flags and reader, so it never disturbs these.
  std::string SourceArchive;
  std::string SourcePassword;  // the password SourceArchive was opened with
  bool NoArchiveLoaded = true;
  std::string ItemFlags;  // the archive's "BackupItem"
  std::array<std::string, 11> RestoreLists;
  std::string RestorePassword;  // the password prompt's last confirmed answer

  // Disc handover.
  std::string BurnFileName, BurnFilePath;
};

}  // namespace tarvo
