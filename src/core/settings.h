#pragma once
// settings.dat (sectioned profile-string file) and the preference test rules.
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace tarvo {

std::string ReadSetting(FileSystem& files, const std::string& file, const std::string& section, const std::string& key);
void WriteSetting(FileSystem& files, const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);

// The number a stored text reads as: optional sign, digits, decimal part and exponent,
// blanks around; nullopt for "", "yes" or "0x1".
std::optional<double> ReadsAsNumber(const std::string& text);
// A flag is off only when its stored text reads as a number other than 1.
bool FlagOn(const std::string& stored);
bool ReadFlag(FileSystem& files, const std::string& settingsFile, const std::string& section, const std::string& key);
// The backup folder: the data folder when the stored text is empty or reads as 0.
std::string BackupFolderFromSetting(const std::string& stored, const std::string& dataFolder);

// How many dated automatic backups of a target are kept ("keepdated" of "autobackup");
// 0, also for an empty, negative or non-numeric text, keeps them all.
inline constexpr const char* kKeepDatedKey = "keepdated";
int KeepDatedFromSetting(const std::string& stored);

// Whether the automatic backup closes Outlook first ("closeoutlook" of "autobackup"). Unlike
// the other flags it is off unless stored as 1: older settings files never asked for it.
inline constexpr const char* kCloseOutlookKey = "closeoutlook";
bool CloseOutlookForAutoBackup(FileSystem& files, const std::string& settingsFile);

}  // namespace tarvo
