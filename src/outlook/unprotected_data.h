#pragma once
// What a backup of a profile leaves unprotected although it looks complete: data files
// that are offline copies (OST) of a server mailbox, PST files in Outlook's usual folders
// that the profile does not use, and the new Outlook, which keeps no mail in any profile.
#include <cstddef>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "platform/file_system.h"
#include "platform/system_info.h"
#include "registry/mod_reg.h"

namespace tarvo {

inline constexpr const char* kNewOutlookKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Preferences";
inline constexpr const char* kNewOutlookValue = "UseNewOutlook";
inline constexpr const char* kUserShellFoldersKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr const char* kShellFoldersKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Beyond this many files of one kind the notes only count them.
inline constexpr std::size_t kMaxListedFiles = 8;

// The user's keys by default; tests name keys of their own.
struct NoteKeys {
  std::string newOutlook = kNewOutlookKey;
  std::string userShellFolders = kUserShellFoldersKey;
  std::string shellFolders = kShellFoldersKey;
};

struct UnprotectedData {
  std::vector<std::string> offlineFiles;    // OSTs of the profile, at most kMaxListedFiles
  std::size_t moreOfflineFiles = 0;
  std::vector<std::string> unattachedPsts;  // at most kMaxListedFiles
  std::size_t moreUnattachedPsts = 0;
  bool newOutlook = false;
};

// The data file findings only when the profile's data files are being backed up; the
// new Outlook always.
UnprotectedData FindUnprotectedData(ModReg& reg, FileSystem& files, SystemInfo& system, const OutlookEnv& env,
                                    const std::string& profile, bool dataFilesChosen, const NoteKeys& keys = {});

// One plain sentence per finding; empty when there is nothing to say.
std::vector<std::string> UnprotectedDataNotes(const UnprotectedData& found);

// Every data file path (PST and OST) the profile's service sections name, as read.
std::vector<std::string> ProfileDataFilePaths(ModReg& reg, const std::string& profileKey);
// The folders where Outlook puts PST files: the local Outlook folder and "Outlook Files"
// in Documents, as the user's shell folders name it and at its default place.
std::vector<std::string> UsualPstFolders(ModReg& reg, SystemInfo& system, const OutlookEnv& env,
                                         const NoteKeys& keys = {});
// True when the switch of the new Outlook is on.
bool NewOutlookInUse(ModReg& reg, const std::string& preferencesKey);

}  // namespace tarvo
