#include "outlook/outlook_folders.h"

#include "outlook/outlook_env.h"
#include "platform/text.h"

namespace tarvo {

std::string LocalOutlookFolder(const OutlookEnv& env) {
  if (UsesAppDataLayout(env.WinVersion)) return env.UserProfilePath + "\\AppData\\Local\\Microsoft\\Outlook";
  return env.UserProfilePath + "\\Local Settings\\Application Data\\Microsoft\\Outlook";
}

std::string RoamingMicrosoftFolder(const OutlookEnv& env, const std::string& leaf) {
  if (UsesAppDataLayout(env.WinVersion)) return env.UserProfilePath + "\\AppData\\Roaming\\Microsoft\\" + leaf;
  return env.UserProfilePath + "\\Application Data\\Microsoft\\" + leaf;
}

std::string ContactsFolder(const OutlookEnv& env) { return env.UserProfilePath + "\\Contacts"; }

std::string StationeryRestoreFolder(const OutlookEnv& env, const std::string& sharedFilesDir) {
  // The stored folder ends with "\", so the name is joined without a separator.
  if (IsOffice12OrLater(env.OfficeVersion)) return sharedFilesDir + "Stationery";
  return RoamingMicrosoftFolder(env, "Stationery");
}

std::string ReadSharedFilesDir(ModReg& reg) {
  return TrimSpaces(reg.GetStringValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools", "SharedFilesDir"));
}

std::string OptionsKeyFor(const OutlookEnv& env) {
  return "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + env.OfficeVersion + "\\Outlook\\Options";
}

std::string ProfileKeyFor(const OutlookEnv& env, const std::string& profile) {
  return env.ProfilesKey + "\\" + profile;
}

std::vector<std::string> FavouritesFiles(const OutlookEnv& env, const std::string& profile) {
  const std::string name = profile + ".FAV";
  std::vector<std::string> files{env.UserProfilePath + "\\Application Data\\Microsoft\\Outlook\\" + name};
  if (UsesAppDataLayout(env.WinVersion)) files.push_back(RoamingMicrosoftFolder(env, "Outlook") + "\\" + name);
  return files;
}

}  // namespace tarvo
